// The commands with their options and help texts.  docs/cli.md says the same at more length.

#include "cli/commands.h"

namespace vortlan::cli {

namespace {

const OptionSyntax kOutput{"-o"};
const OptionSyntax kRegion{"--region"};

Command infoEntry() {
    return {{"info",
             "what a project holds, as text or JSON",
             "Usage: vortlan-cli info PROJECT.xps [--json]\n"
             "\n"
             "Every region holding data with its settings, peaks and constraints, and the total chi-square.\n"
             "  --json   one JSON object instead of text (keys in docs/cli.md)\n",
             {{"--json", false}},
             1,
             1},
            runInfo};
}

Command newEntry() {
    return {{"new", "an empty project", "Usage: vortlan-cli new -o PROJECT.xps\n", {kOutput}, 0, 0}, runNew};
}

Command importEntry() {
    return {
        {"import",
         "a spectrum into a region",
         "Usage: vortlan-cli import FORMAT DATAFILE [--into PROJECT.xps] [--region N] [--block B]\n"
         "           -o OUT.xps\n"
         "\n"
         "FORMAT is vamas, kratos, leybold, phi, ascii or auto (guessed from the file).  The spectrum goes\n"
         "into region N (default 1) of PROJECT.xps, or of an empty project without --into.  Leybold and\n"
         "PHI files with several regions fill the regions from N on, the ten regions at most.\n"
         "A VAMAS file gives its first XPS block, or with --block B (vamas only) its block B of any\n"
         "technique, numbered from 1 as `vortlan-cli blocks` lists them.\n",
         {{"--into"}, kRegion, {"--block"}, kOutput},
         2,
         2},
        runImport};
}

Command blocksEntry() {
    return {{"blocks",
             "the blocks of a VAMAS file, as the block chooser lists them",
             "Usage: vortlan-cli blocks DATAFILE [--json]\n"
             "\n"
             "Each block's number, species, transition, technique, points and binding energy range.  A\n"
             "damaged file lists the blocks before the first one that cannot be read, and says so; a block\n"
             "that is no spectrum (no points, or an energy step of 0) is listed and said to be left out.\n"
             "  --json   one JSON array of objects instead of the table (keys in docs/cli.md)\n",
             {{"--json", false}},
             1,
             1},
            runBlocks};
}

Command backgroundEntry() {
    return {
        {"background",
         "the fit range and background of a region (the background dialog's Accept)",
         "Usage: vortlan-cli background PROJECT.xps --region N [--type shirley|linear|tougaard]\n"
         "           [--low BE] [--high BE] [--average 1|3|5|7|9] [--slope S] [--b1 B] [--optimise]\n"
         "           -o OUT.xps\n"
         "\n"
         "Boxes not given keep what the dialog shows for the region: its accepted settings, or the whole\n"
         "data range with a Shirley background.\n"
         "  --slope S    the Shirley linear term (0 for a plain Shirley background)\n"
         "  --b1 B       the Tougaard B1\n"
         "  --optimise   then the Shirley or Tougaard \"Optimise\", and the result accepted\n",
         {kRegion,
          {"--type"},
          {"--low"},
          {"--high"},
          {"--average"},
          {"--slope"},
          {"--b1"},
          {"--optimise", false},
          kOutput},
         1,
         1},
        runBackground};
}

Command addPeakEntry() {
    return {
        {"add-peak",
         "a new peak in a region (\"Add Peak\", then the peak dialog's Accept)",
         "Usage: vortlan-cli add-peak PROJECT.xps --region N [--position BE] [--fwhm W]\n"
         "           [--area A | --height H] [--gl G] [--type s|p|d|f] [--splitting S] [--ts T] [--tl L]\n"
         "           [--fix position,area,fwhm,gl|none] -o OUT.xps\n"
         "\n"
         "The peak starts at the centre of the fit range, 50 height units high, 1 eV wide, with %GL fixed;\n"
         "the options given replace those values.  --height is in height units (100 = the intensity\n"
         "spread above the background).  --fix names the parameters to fix; the others are free.\n"
         "Prints the number of the new peak.\n",
         {kRegion,
          {"--position"},
          {"--fwhm"},
          {"--area"},
          {"--height"},
          {"--gl"},
          {"--type"},
          {"--splitting"},
          {"--ts"},
          {"--tl"},
          {"--fix"},
          kOutput},
         1,
         1},
        runAddPeak};
}

Command constrainEntry() {
    return {{"constrain",
             "tie a peak parameter to another peak, or limit it (the constraint dialog)",
             "Usage: vortlan-cli constrain PROJECT.xps --peak P --param position|area|fwhm|gl\n"
             "           [--ref R] [--op +|-|*|/] [--value V] [--unlink]\n"
             "           [--low L --high H | --no-limits] -o OUT.xps\n"
             "\n"
             "  --ref R      the parameter of peak P = that of peak R, --op --value (default + 0)\n"
             "  --unlink     drop the relation with another peak\n"
             "  --low, --high  limits of the search range; --no-limits drops them\n"
             "Entries not given keep what the dialog shows for the stored constraint.\n",
             {{"--peak"},
              {"--param"},
              {"--ref"},
              {"--op"},
              {"--value"},
              {"--unlink", false},
              {"--low"},
              {"--high"},
              {"--no-limits", false},
              kOutput},
             1,
             1},
            runConstrain};
}

Command deletePeakEntry() {
    return {{"delete-peak",
             "delete a peak (the peak dialog's \"Delete Peak\")",
             "Usage: vortlan-cli delete-peak PROJECT.xps --peak P -o OUT.xps\n",
             {{"--peak"}, kOutput},
             1,
             1},
            runDeletePeak};
}

Command shiftEntry() {
    return {{"shift",
             "the energy shift of a region (\"Region Shift\")",
             "Usage: vortlan-cli shift PROJECT.xps --region N --ev S -o OUT.xps\n",
             {kRegion, {"--ev"}, kOutput},
             1,
             1},
            runShift};
}

Command captionEntry() {
    return {{"caption",
             "the caption of a region (\"Region Caption\")",
             "Usage: vortlan-cli caption PROJECT.xps --region N --text T -o OUT.xps\n",
             {kRegion, {"--text"}, kOutput},
             1,
             1},
            runCaption};
}

Command elementEntry() {
    return {{"element",
             "the core level of a region, or its sensitivity factor",
             "Usage: vortlan-cli element PROJECT.xps --region N [--line LEVEL] [--factor F | --computed]\n"
             "           -o OUT.xps\n"
             "\n"
             "  --line LEVEL   the element and core level the region measures: \"Ti 2p\" (the whole\n"
             "                 doublet), \"Ti 2p3/2\", \"O 1s\", \"Au 4f7/2\"\n"
             "  --factor F     a sensitivity factor of your own instead of the computed one\n"
             "  --computed     back to the factor computed from the level\n",
             {kRegion, {"--line"}, {"--factor"}, {"--computed", false}, kOutput},
             1,
             1},
            runElement};
}

Command quantifyEntry() {
    return {{"quantify",
             "atomic concentrations of the regions and their peaks",
             "Usage: vortlan-cli quantify PROJECT.xps [--json | --csv] [--source-energy EV]\n"
             "           [--imfp-exponent M] [--transmission-exponent N] [--area auto|peaks|background]\n"
             "\n"
             "Each region that names a core level (or has a factor of its own): its area, sensitivity\n"
             "factor, corrected area and atomic per cent with its ±1σ, and the same for each of its peaks.\n"
             "The options replace the project's settings for this run; the project is not written.\n"
             "  --json, --csv              one JSON object, or the table as CSV\n"
             "  --source-energy EV         the source where a region's file records none\n"
             "  --imfp-exponent M          the mean free path grows as KE^M\n"
             "  --transmission-exponent N  the analyser's transmission falls as KE^-N\n"
             "  --area                     the peaks' areas, the background-subtracted area, or (auto)\n"
             "                             the peaks' where a region has peaks\n",
             {{"--json", false},
              {"--csv", false},
              {"--source-energy"},
              {"--imfp-exponent"},
              {"--transmission-exponent"},
              {"--area"}},
             1,
             1},
            runQuantify};
}

Command clearEntry() {
    return {{"clear",
             "delete the peaks and fit settings of a region (\"Clear Parameters\")",
             "Usage: vortlan-cli clear PROJECT.xps --region N -o OUT.xps\n",
             {kRegion, kOutput},
             1,
             1},
            runClear};
}

Command deleteRegionEntry() {
    return {{"delete-region",
             "empty a region (\"Delete Region\")",
             "Usage: vortlan-cli delete-region PROJECT.xps --region N -o OUT.xps\n",
             {kRegion, kOutput},
             1,
             1},
            runDeleteRegion};
}

Command paramsSaveEntry() {
    return {{"params save",
             "the fit model of a region to a region parameter file",
             "Usage: vortlan-cli params save PROJECT.xps --region N -o MODEL.rpa\n",
             {kRegion, kOutput},
             1,
             1},
            runParamsSave};
}

Command paramsLoadEntry() {
    return {{"params load",
             "a region parameter file applied to a region",
             "Usage: vortlan-cli params load PROJECT.xps --region N MODEL.rpa -o OUT.xps\n",
             {kRegion, kOutput},
             2,
             2},
            runParamsLoad};
}

Command fitEntry() {
    return {{"fit",
             "optimise a region, every region, or one peak",
             "Usage: vortlan-cli fit PROJECT.xps (--region N | --all | --peak P [--param "
             "position|area|fwhm|gl])\n"
             "           [--options FILE.opa] [--method lm|newton|search] [--instrument-fwhm W|none]\n"
             "           [--monte-carlo K] -o OUT.xps\n"
             "\n"
             "\"Optimise Region\", \"Optimise All\", or the peak dialog's \"Optimise Peak\" (or the "
             "\"Optimise\"\n"
             "of one parameter with --param).  The options are those of default.opa in the working\n"
             "directory, or of --options; --method switches the method (lm is Levenberg-Marquardt).  On a\n"
             "terminal a progress line shows the trial (the iteration of lm) and the total chi-square;\n"
             "Ctrl+C stops the fit as \"Stop Fitting\" does and the result so far is written.  The verdict\n"
             "of each region fitted is printed with its flags, the peaks not to take as they stand.\n"
             "  --instrument-fwhm W  no fitted FWHM below W eV (kept in the project); none: the data's step\n"
             "  --monte-carlo K   after the fit, the standard errors of K Monte Carlo replicas of each\n"
             "                    region fitted, beside those from the Jacobian\n",
             {kRegion,
              {"--all", false},
              {"--peak"},
              {"--param"},
              {"--options"},
              {"--method"},
              {"--instrument-fwhm"},
              {"--monte-carlo"},
              kOutput},
             1,
             1},
            runFit};
}

Command exportSpectrumEntry() {
    return {{"export spectrum",
             "a region's spectrum and fitted curves as a text table (.dat)",
             "Usage: vortlan-cli export spectrum PROJECT.xps --region N -o FILE.dat\n",
             {kRegion, kOutput},
             1,
             1},
            runExportSpectrum};
}

Command exportPeaksEntry() {
    return {{"export peaks",
             "a region's peak table as text (.par)",
             "Usage: vortlan-cli export peaks PROJECT.xps --region N -o FILE.par\n",
             {kRegion, kOutput},
             1,
             1},
            runExportPeaks};
}

Command exportReportEntry() {
    return {{"export report",
             "a region's fitted values with their standard errors (.csv)",
             "Usage: vortlan-cli export report PROJECT.xps --region N [--monte-carlo K] -o FILE.csv\n"
             "\n"
             "One row per peak: the value and standard error of its position, area, FWHM, %GL and height,\n"
             "with the region's chi-square, points, free parameters, reduced chi-square and verdict.\n"
             "  --monte-carlo K   also the errors of K Monte Carlo replicas, fitted on every core\n",
             {kRegion, {"--monte-carlo"}, kOutput},
             1,
             1},
            runExportReport};
}

Command renderEntry() {
    return {
        {"render",
         "a picture of a region: the plot, or the printed page",
         "Usage: vortlan-cli render PROJECT.xps --region N -o FILE.png|FILE.pdf|FILE.svg [--page] [--table]\n"
         "           [--size WxH] [--colour] [--residuals]\n"
         "\n"
         "The spectrum window's plot; --page the printed page, --table the page with the peak table.\n"
         "--size sets the pixels of a PNG or SVG (default 800x500); a PDF is one A4 landscape page.\n"
         "--colour draws the peaks in their palette colours and the background and envelope apart from\n"
         "the data; --residuals adds the residual panel under the plot of a region with peaks.\n",
         {kRegion, kOutput, {"--page", false}, {"--table", false}, {"--size"}, {"--colour", false},
          {"--residuals", false}},
         1,
         1},
        runRender};
}

Command optionsShowEntry() {
    return {{"options show",
             "the fit options, as the options dialog shows them",
             "Usage: vortlan-cli options show [FILE.opa]\n"
             "\n"
             "The options of FILE.opa, or those in effect: default.opa of the working directory, or the\n"
             "built-in defaults when there is none.\n",
             {},
             0,
             1},
            runOptionsShow};
}

Command optionsWriteEntry() {
    return {
        {"options write",
         "an option file from the options in effect and the changes given",
         "Usage: vortlan-cli options write FILE.opa [--from FILE.opa] [--method lm|newton|search] [--trials N]\n"
         "           [--tolerance PERCENT] [--gl sum|product]\n"
         "\n"
         "Starts from --from, or from the options in effect.  --trials sets the number of trials of the\n"
         "method chosen (Newton's or the search; lm has none); --tolerance is in percent, as in the\n"
         "options dialog.\n",
         {{"--from"}, {"--method"}, {"--trials"}, {"--tolerance"}, {"--gl"}},
         1,
         1},
        runOptionsWrite};
}

Command batchEntry() {
    return {{"batch",
             "fit one model to many spectra",
             "Usage: vortlan-cli batch --model MODEL.rpa [--options FILE.opa] [--format FORMAT]\n"
             "           [--line LEVEL] [--jobs N] [--blocks first|all|xps|LIST] [--resume]\n"
             "           [--shard I/N] [--no-pictures] [--outputs LIST|none] [--summary-json]\n"
             "           --out DIR DATAFILE...\n"
             "\n"
             "For each spectrum: import it into region 1 (FORMAT as for import, default auto), load the\n"
             "model, accept its background over the model's range, optimise the region, and write\n"
             "DIR/NAME.xps, NAME.par, NAME.dat and NAME.png (NAME: the data file's name without its\n"
             "extension).  Then DIR/summary.csv, one row per spectrum fitted.  A spectrum that fails is\n"
             "reported and skipped; the status is then 1.  Where the region has a core level (the import\n"
             "names it, or --line LEVEL, as for element), the summary also gives each peak's at.% of the\n"
             "region.\n"
             "\n"
             "--jobs N fits N spectra at once (default: every core); the files are the same for any N.\n"
             "--blocks fits the first XPS block of a VAMAS file (first, the default), every block (all),\n"
             "every XPS block (xps) or the blocks listed as the block chooser numbers them (1,3,5-9).\n"
             "--outputs chooses the files of each spectrum among xps, par, dat, png and report (the fit\n"
             "report, NAME.report.csv), or none (the summary only); --no-pictures leaves out the png.\n"
             "--resume fits again only the spectra whose files are missing or older than their data\n"
             "file, the model or the options.  --shard I/N fits the I-th of N slices of the spectra (for\n"
             "a cluster; join the summaries with merge).  --summary-json also writes summary.jsonl.\n"
             "Ctrl+C finishes the spectra in progress and writes the summary of those done.\n",
             {{"--model"}, {"--options"}, {"--format"}, {"--line"}, {"--out"}, {"--jobs"}, {"--blocks"},
              {"--resume", false}, {"--shard"}, {"--no-pictures", false}, {"--outputs"},
              {"--summary-json", false}},
             1,
             -1},
            runBatch};
}

Command mergeEntry() {
    return {{"merge",
             "the summaries of a sharded batch as one",
             "Usage: vortlan-cli merge DIR... -o OUT.csv\n"
             "\n"
             "Joins DIR/summary.csv of every shard (batch --shard I/N) into OUT.csv, rows in the order a\n"
             "batch without --shard gives.  Where every DIR has a summary.jsonl, they are joined as well,\n"
             "into OUT with the extension .jsonl.\n",
             {kOutput},
             1,
             -1},
            runMerge};
}

}  // namespace

const std::vector<Command>& commands() {
    static const std::vector<Command> all = {infoEntry(),        newEntry(),          importEntry(),
                                             blocksEntry(),      backgroundEntry(),   addPeakEntry(),
                                             constrainEntry(),   deletePeakEntry(),   shiftEntry(),
                                             captionEntry(),     elementEntry(),      quantifyEntry(),
                                             clearEntry(),       deleteRegionEntry(), paramsSaveEntry(),
                                             paramsLoadEntry(),  fitEntry(),          exportSpectrumEntry(),
                                             exportPeaksEntry(), exportReportEntry(), renderEntry(),
                                             optionsShowEntry(), optionsWriteEntry(), batchEntry(),
                                             mergeEntry()};
    return all;
}

}  // namespace vortlan::cli
