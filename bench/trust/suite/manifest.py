"""The suite's manifest (regions.json): where each real spectrum comes from, and the model an analyst
places on each region."""
import hashlib
import json
import os

HERE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MANIFEST = os.path.join(HERE, "regions.json")
REAL = os.path.join(HERE, "real")


def load(path=MANIFEST):
    with open(path) as f:
        return json.load(f)


def local_path(file_entry, real=REAL):
    return os.path.join(real, file_entry["local"])


def sha256_of(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for chunk in iter(lambda: f.read(1 << 16), b""):
            digest.update(chunk)
    return digest.hexdigest()


def file_problem(file_entry, real=REAL):
    """Why the file cannot be used (missing, or not the file named), or None."""
    path = local_path(file_entry, real)
    if not os.path.isfile(path):
        return f"missing: {path}"
    found = sha256_of(path)
    if found != file_entry["sha256"]:
        return f"{path} is not the file named: sha256 {found}, expected {file_entry['sha256']}"
    return None


def file_problems(manifest, real=REAL):
    """{file key: problem} for every file that cannot be used."""
    problems = {}
    for key, entry in manifest["files"].items():
        problem = file_problem(entry, real)
        if problem:
            problems[key] = problem
    return problems


def placing_commands(manifest, real=REAL):
    """Shell commands that fetch each repository once and copy the named files into place."""
    commands = [f"mkdir -p {real}"]
    cloned = set()
    for entry in manifest["files"].values():
        clone = os.path.join("/tmp/vortlan-suite-sources", entry["repository"].replace("/", "+"))
        if clone not in cloned:
            cloned.add(clone)
            commands.append(f"git clone -q https://github.com/{entry['repository']} {clone}")
        commands.append(f"git -C {clone} show {entry['commit']}:{entry['path']} > {local_path(entry, real)}")
    return commands
