#include "fit/monte_carlo_matching.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <optional>

namespace vortlan {

namespace {

// What makes a peak interchangeable with another: its shape, and for each parameter whether the fit
// moves it and within which limits, or where it holds it.
struct ExchangeKey {
    short type = 0;
    float splitting = 0, ts = 0, tl = 0;
    struct Role {
        bool free = false;
        double held = 0;  // the value of a parameter the fit does not move
        short limited = 0;
        float low = 0, high = 0;

        bool operator==(const Role&) const = default;
    };
    std::array<Role, 4> roles{};

    bool operator==(const ExchangeKey&) const = default;
};

// Whether a parameter of another peak follows one of this peak's.
bool isReference(const Workspace& ws, int peak) {
    for (int p = 0; p < kPeakCount; ++p) {
        if (p == peak || !isTrue(ws.peaks[p].defined)) continue;
        for (PeakParam param : kPeakParams) {
            const ParamConstraint& c = ws.constraints[p].of(param);
            if (isTrue(c.linked) && c.refPeak == peak) return true;
        }
    }
    return false;
}

// The key of a peak that can trade places at all: none of its parameters tied either way, and one at
// least free.
std::optional<ExchangeKey> keyOf(const Workspace& ws, const SpectrumProblem& problem, int peak) {
    if (isReference(ws, peak)) return std::nullopt;
    const Peak& p = ws.peaks[peak];
    ExchangeKey key{p.type, p.splitting, p.ts, p.tl, {}};
    bool moves = false;
    for (PeakParam param : kPeakParams) {
        const ParamConstraint& c = ws.constraints[peak].of(param);
        if (isTrue(c.linked)) return std::nullopt;
        ExchangeKey::Role& role = key.roles[static_cast<std::size_t>(param)];
        role.free = problem.dependenceOf(peak, param, problem.start().data()).variable >= 0;
        if (!role.free)
            role.held = param == PeakParam::Gl ? p.gl : static_cast<double>(realParameter(p, param));
        if (isTrue(c.limited)) role = {role.free, role.held, c.limited, c.low, c.high};
        moves = moves || role.free;
    }
    if (!moves) return std::nullopt;
    return key;
}

// How far a replica's peak lies from a parent: the difference of position in the parent's FWHMs, and
// those of area and FWHM relative to the larger of the two, squared and summed.
double distance(const ReplicaPeak& peak, const ReplicaPeak& parent) {
    const auto relative = [](double a, double b) {
        const double larger = std::max(std::fabs(a), std::fabs(b));
        return larger > 0.0 ? (a - b) / larger : 0.0;
    };
    const double width = std::fabs(parent[2]) > 0.0 ? std::fabs(parent[2]) : 1.0;
    const double position = (peak[0] - parent[0]) / width;
    const double area = relative(peak[1], parent[1]);
    const double fwhm = relative(peak[2], parent[2]);
    return position * position + area * area + fwhm * fwhm;
}

// For each of n peaks the parent (0..n-1) it goes to, each parent taking one, with the least total
// cost: the cheapest way to give the first k peaks each set of k parents, k = 1..n.  A group holds at
// most a region's ten peaks, so the sets are at most 1024.
std::vector<std::size_t> cheapestAssignment(const std::vector<std::vector<double>>& cost) {
    const std::size_t n = cost.size();
    const std::size_t sets = std::size_t{1} << n;
    std::vector<double> least(sets, std::numeric_limits<double>::infinity());
    std::vector<std::size_t> lastParent(sets, 0);
    least[0] = 0.0;
    for (std::size_t taken = 0; taken < sets; ++taken) {
        const auto peak = static_cast<std::size_t>(std::popcount(taken));
        if (peak == n) continue;
        for (std::size_t parent = 0; parent < n; ++parent) {
            const std::size_t next = taken | (std::size_t{1} << parent);
            if (next == taken || least[taken] + cost[peak][parent] >= least[next]) continue;
            least[next] = least[taken] + cost[peak][parent];
            lastParent[next] = parent;
        }
    }
    std::vector<std::size_t> parentOf(n);
    for (std::size_t taken = sets - 1, peak = n; peak-- > 0;) {
        parentOf[peak] = lastParent[taken];
        taken &= ~(std::size_t{1} << parentOf[peak]);
    }
    return parentOf;
}

}  // namespace

std::vector<std::vector<std::size_t>> exchangeablePeaks(const Workspace& ws, const SpectrumProblem& problem,
                                                        const std::vector<int>& peaks) {
    std::vector<ExchangeKey> keys;
    std::vector<std::vector<std::size_t>> groups;
    for (std::size_t k = 0; k < peaks.size(); ++k) {
        const std::optional<ExchangeKey> key = keyOf(ws, problem, peaks[k]);
        if (!key) continue;
        const auto same = std::find(keys.begin(), keys.end(), *key);
        if (same == keys.end()) {
            keys.push_back(*key);
            groups.push_back({k});
        } else {
            groups[static_cast<std::size_t>(same - keys.begin())].push_back(k);
        }
    }
    std::erase_if(groups, [](const std::vector<std::size_t>& group) { return group.size() < 2; });
    return groups;
}

bool matchToParents(std::vector<ReplicaPeak>& replica, const std::vector<ReplicaPeak>& parents,
                    const std::vector<std::vector<std::size_t>>& groups) {
    bool moved = false;
    for (const std::vector<std::size_t>& group : groups) {
        std::vector<std::vector<double>> cost(group.size(), std::vector<double>(group.size()));
        for (std::size_t a = 0; a < group.size(); ++a) {
            for (std::size_t b = 0; b < group.size(); ++b)
                cost[a][b] = distance(replica[group[a]], parents[group[b]]);
        }
        const std::vector<std::size_t> parentOf = cheapestAssignment(cost);
        const std::vector<ReplicaPeak> fitted = replica;
        for (std::size_t a = 0; a < group.size(); ++a) {
            replica[group[parentOf[a]]] = fitted[group[a]];
            moved = moved || parentOf[a] != a;
        }
    }
    return moved;
}

}  // namespace vortlan
