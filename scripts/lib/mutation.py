#!/usr/bin/env python3
"""Mutation check of the test suite.

Plants one small fault at a time (a flipped comparison or condition, a changed
constant, a text replaced whole, a deleted statement) in a copy of the tool's
code, rebuilds incrementally and runs the suites that scripts/test runs: a
mutant that no test notices survives. A mutant is named by its file, the
function it stands in, the operator, the old and new text and which such
place in that function it is, so an edit elsewhere renames nothing; the
sample is drawn in the order of each name's hash with a fixed seed, so it
does not reshuffle when mutants come or go elsewhere.
"""
import argparse
import hashlib
import os
import re
import shutil
import subprocess
import sys
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
FOLDERS = ("main_window", "paths_dialog", "game", "platform")

COMPARISONS = {"==": "!=", "!=": "==", "<": "<=", "<=": "<", ">": ">=", ">=": ">"}
DECLARATION = re.compile(r"^(const|constexpr|static|auto|bool|int|char|double|size_t|std::|Q[A-Z]\w*[ *&<]|"
                         r"platform::|\w+::\w+ |unsigned|long|DWORD|HANDLE|struct|class|enum|using|template|"
                         r"return|case|default|public|private|protected|namespace|#)")


def code_part(line):
    """The line without a trailing // comment (texts are left alone)."""
    out, quoted = [], False
    i = 0
    while i < len(line):
        c = line[i]
        if c == '"' and (i == 0 or line[i - 1] != "\\"):
            quoted = not quoted
        if not quoted and line.startswith("//", i):
            break
        out.append(c)
        i += 1
    return "".join(out)


FUNCTION = re.compile(r"^(?!(?:if|for|while|switch|return|else|case|do|namespace|class|struct)\b)"
                      r"[A-Za-z_][\w:<>,*&\s~]*?\b([A-Za-z_~][\w:~]*)\s*\(")
PIXELS = re.compile(r"\bTwips(?:Rect)?\(")  # rounded to whole pixels: +1 rarely moves one


def sites_in(path, text):
    """Every place one operator can change, as (line, column, old, new, kind, function)."""
    sites = []
    previous = ""
    function = "(file)"
    for number, line in enumerate(text.split("\n"), 1):
        starts_statement = previous.endswith((";", "{", "}", ":")) or not previous
        if line.strip() and not line.strip().startswith("//"):
            previous = code_part(line).strip()
        stripped = line.strip()
        if not stripped or stripped.startswith(("//", "#", "*", "/*")):
            continue
        code = code_part(line)
        indent = len(line) - len(line.lstrip())
        head = FUNCTION.match(stripped)
        if head and not code.rstrip().endswith(";") and (indent == 0 or (indent == 2 and path.endswith(".h"))):
            function = head.group(1)
        found = []
        strings = [m.span() for m in re.finditer(r'"(?:[^"\\]|\\.)*"', code)]
        in_string = lambda pos: any(a <= pos < b for a, b in strings)
        for m in re.finditer(r" (==|!=|<=|>=|<|>) ", code):
            if not in_string(m.start()) and "<<" not in code[m.start() - 2:m.end() + 2]:
                found.append((m.start(1), m.group(1), COMPARISONS[m.group(1)], "comparison"))
        for m in re.finditer(r" (&&|\|\|) ", code):
            if not in_string(m.start()):
                found.append((m.start(1), m.group(1), "||" if m.group(1) == "&&" else "&&", "logic"))
        for m in re.finditer(r"\bif \(", code):
            depth, end = 0, None
            for j in range(m.end() - 1, len(code)):
                depth += {"(": 1, ")": -1}.get(code[j], 0)
                if depth == 0:
                    end = j
                    break
            if end is not None:
                cond = code[m.end():end]
                init, _, test = cond.rpartition("; ")  # if (init; test)
                negated = f"({init}; !({test}))" if init else f"(!({cond}))"
                found.append((m.end() - 1, "(" + cond + ")", negated, "condition"))
        if not PIXELS.search(code):
            for m in re.finditer(r"(?<![\w.])(\d+)(?![\w.'])", code):
                if not in_string(m.start()) and not re.search(r"\w$", code[:m.start()]):
                    value = int(m.group(1))
                    found.append((m.start(1), m.group(1), str(value + 1 if value != 1 else 0), "constant"))
        for a, b in strings:
            literal = code[a:b]
            if len(literal) > 2 and "include" not in code:
                found.append((a, literal, '"~~"', "text"))  # the whole text: a part of it may still be found
        if (path.endswith(".cpp") and starts_statement and stripped.endswith(";")
                and not DECLARATION.match(stripped) and "(" in stripped
                and not stripped.startswith(("}", "{", "else", "for", "while", "if"))
                and stripped.count("(") == stripped.count(")")):
            found.append((line.index(stripped), stripped, ";", "deleted statement"))
        sites += [(number, col, old, new, kind, function) for col, old, new, kind in found]
    return sites


def all_sites():
    """(rel, line, column, old, new, kind, id) for every place, in file order."""
    sites = []
    for folder in FOLDERS:
        for name in sorted(os.listdir(os.path.join(ROOT, folder))):
            if not name.endswith((".cpp", ".h")):
                continue
            rel = f"{folder}/{name}"
            with open(os.path.join(ROOT, rel), encoding="utf-8") as f:
                text = f.read()
            seen = {}
            for line, col, old, new, kind, function in sites_in(rel, text):
                key = (function, kind, old, new)
                seen[key] = seen.get(key, 0) + 1
                name_of = f"{rel}|{function}|{kind}|{old}|{new}|{seen[key]}"
                sites.append((rel, line, col, old, new, kind, hashlib.sha1(name_of.encode()).hexdigest()[:12]))
    return sites


def mutant_id(site):
    return site[6]


def apply(text, site):
    rel, line, col, old, new, kind, _ = site
    lines = text.split("\n")
    target = lines[line - 1]
    assert target[col:col + len(old)] == old, (site, target)
    lines[line - 1] = target[:col] + new + target[col + len(old):]
    return "\n".join(lines)


def is_windows_only(rel):
    return rel.endswith(("_win.cpp", "win_text.h", "win_replace.h"))


CRASH = re.compile(r"AddressSanitizer: (SEGV|stack-overflow)|AddressSanitizer:DEADLYSIGNAL|\*\*\*Exception|"
                   r"Child aborted|Segmentation fault")


def run(cmd, cwd=None, env=None, timeout=None, failed=None):
    """passed, failed, crashed or timeout; the names of failing tests go into failed."""
    try:
        r = subprocess.run(cmd, cwd=cwd, env=env, timeout=timeout, stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT, text=True, errors="replace")
    except subprocess.TimeoutExpired:
        if failed is not None:
            failed.add(f"{os.path.basename(cmd[0])}:timeout")
        return "timeout"
    if r.returncode == 0:
        return "passed"
    names = set(re.findall(r"^\[  FAILED  \] ([\w/.]+)", r.stdout, re.M))
    names |= set(re.findall(r"^\s+\d+ - ([\w/.]+) \(", r.stdout, re.M))  # ctest's list
    crashed = r.returncode < 0 or bool(CRASH.search(r.stdout)) or "***Timeout" in r.stdout
    if failed is not None:
        failed |= names or {f"{os.path.basename(cmd[0])}:exit {r.returncode}"}
    if "***Timeout" in r.stdout:
        return "timeout"
    return "crashed" if crashed else "failed"


class Worker:
    """A copy of the code with its own builds, so that two mutants can be tried at once."""

    def __init__(self, work, index, wine):
        self.src = os.path.join(work, f"src{index}")
        # The suites run here: a mutant that writes beside the working folder
        # must not write into the checkout.
        self.scratch = os.path.join(work, f"cwd{index}")
        os.makedirs(self.scratch, exist_ok=True)
        self.native = os.path.join(work, f"native{index}")
        self.windows = os.path.join(work, f"windows{index}") if wine else None
        # The Windows program itself, for the program tests of main.cpp's mutants.
        self.program = os.path.join(work, f"program{index}") if wine and PROGRAM_ENV else None
        # As scripts/test builds them: with the sanitizers.
        self.native_targets = ["core_tests", "window_tests", "wine_start_tests", "StormlineLighting"]
        self.windows_targets = ["core_tests", "windows_platform_tests", "stormline_double"]

    def prepare(self, files):
        # A run stopped while a mutant was in place left its objects built from
        # it: the file it names is copied back anew, so the build sees it changed.
        marker = os.path.join(self.src, ".mutating")
        if os.path.exists(marker):
            with open(marker) as f:
                left = os.path.join(self.src, f.read().strip())
            if os.path.exists(left):
                os.remove(left)
            os.remove(marker)
        for rel in files:
            target = os.path.join(self.src, rel)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            source = os.path.join(ROOT, rel)
            if not os.path.exists(target) or open(source, "rb").read() != open(target, "rb").read():
                shutil.copy(source, target)  # a fresh time, so the build takes it
        subprocess.run(["cmake", "-S", self.src, "-B", self.native, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
                        "-DSTORMLINE_SANITIZE=ON", "-DCMAKE_CXX_FLAGS=-g0"], check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["ninja", "-C", self.native] + self.native_targets, check=True, stdout=subprocess.DEVNULL)
        if self.windows:
            subprocess.run(["cmake", "-S", self.src, "-B", self.windows, "-G", "Ninja",
                            f"-DCMAKE_TOOLCHAIN_FILE={self.src}/cmake/mingw-w64-x86_64.cmake",
                            "-DCMAKE_BUILD_TYPE=Debug", "-DSTORMLINE_GUI=OFF"], check=True, stdout=subprocess.DEVNULL)
            subprocess.run(["ninja", "-C", self.windows] + self.windows_targets, check=True,
                           stdout=subprocess.DEVNULL)
        if self.program:
            subprocess.run(["cmake", "-S", self.src, "-B", self.program, "-G", "Ninja",
                            f"-DCMAKE_TOOLCHAIN_FILE={self.src}/cmake/mingw-w64-x86_64.cmake",
                            f"-DSTORMLINE_WINDOWS_QT={PROGRAM_ENV['STORMLINE_WINDOWS_QT']}",
                            "-DCMAKE_BUILD_TYPE=Release"], check=True, stdout=subprocess.DEVNULL)
            subprocess.run(["ninja", "-C", self.program, "StormlineLighting"], check=True, stdout=subprocess.DEVNULL)
        for group in self.groups("platform/x.cpp"):
            for cmd, extra in group:
                if run(cmd, cwd=self.scratch, env=dict(ENV, **extra), timeout=600) != "passed":
                    sys.exit(f"the unmutated suite fails: {' '.join(cmd)}")

    def native_runs(self):
        core, windows, wine = (os.path.join(self.native, "tests", t) for t in
                               ("core_tests", "window_tests", "wine/wine_start_tests"))
        double = self.double()
        # The core suite in two shards (much of it waits on locks and disks).
        return ([([core, "--gtest_brief=1"], {"GTEST_TOTAL_SHARDS": "2", "GTEST_SHARD_INDEX": str(i)})
                 for i in range(2)] + [([windows, "--gtest_brief=1"], {}), ([wine, "--gtest_brief=1"], double)])

    def double(self):
        """The game double, built for Windows, for the runs under real Wine."""
        if not self.windows:
            return {"STORMLINE_REQUIRE_WINE": ""}
        return {"STORMLINE_GAME_DOUBLE": os.path.join(self.windows, "tests", "wine", "stormline_double.exe")}

    def wine_runs(self):
        return [(["ctest", "--test-dir", self.windows, "-j", "2", "--timeout", "120"], {})]

    def program_runs(self):
        # Only main.cpp: nothing else reaches it. The programs on the display take half a minute;
        # the Windows one is packed from this worker's build, with the mutant in it.
        # One command: the commands of a group run side by side, and the test must
        # not unpack the zip before it is made. The tests look at every window on
        # the one display: one worker at a time.
        packed = os.path.join(self.program, "StormlineLighting.zip")
        display = os.path.join(os.path.dirname(self.src), "display.lock")
        return [(["flock", display, "sh", "-c",
                  f"rm -f '{packed}' && zip -q -j '{packed}' '{self.program}/StormlineLighting.exe' && "
                  f"ninja -C '{self.native}' program_tests >/dev/null && "
                  f"ctest --test-dir '{self.native}' -L program --timeout 300"],
                 dict(PROGRAM_ENV, STORMLINE_WINDOWS_ZIP=packed, **self.double()))]

    def groups(self, rel):
        windows_only = is_windows_only(rel)
        in_core = not rel.startswith(("main_window/", "paths_dialog/paths")) or rel.startswith(
            ("main_window/go_batch", "main_window/patch_list", "main_window/command_line", "main_window/run_conf",
             "main_window/lighting_run"))
        groups = []
        if not windows_only:
            groups.append(self.native_runs())
        if self.windows and not rel.endswith("_posix.cpp") and in_core:
            groups.append(self.wine_runs())
        if rel == "main_window/main.cpp" and self.program:
            groups.append(self.program_runs())
        return groups

    def try_mutant(self, site, failed, alone=False):
        """killed, survived, crashed, timeout, or None where the mutant does not build."""
        rel = site[0]
        path = os.path.join(self.src, rel)
        with open(path, encoding="utf-8") as f:
            original = f.read()
        with open(os.path.join(self.src, ".mutating"), "w") as f:
            f.write(rel)
        with open(path, "w", encoding="utf-8") as f:
            f.write(apply(original, site))
        try:
            build = []
            if not is_windows_only(rel):
                build.append(["ninja", "-C", self.native] + self.native_targets)
            if self.windows and not rel.endswith("_posix.cpp"):
                build.append(["ninja", "-C", self.windows] + self.windows_targets)
            if rel == "main_window/main.cpp" and self.program:
                build.append(["ninja", "-C", self.program, "StormlineLighting"])
            if any(run(b) != "passed" for b in build):
                return None
            outcomes = []
            for group in self.groups(rel):
                results = [None] * len(group)

                def one(i, cmd, extra):
                    # Alone, a hang is let run a little longer, not for ever: a mutant
                    # that loops waits out each suite's limit.
                    results[i] = run(cmd, cwd=self.scratch, env=dict(ENV, **extra), timeout=300 if alone else 240,
                                     failed=failed)
                threads = [threading.Thread(target=one, args=(i, cmd, extra)) for i, (cmd, extra) in enumerate(group)]
                for t in threads:
                    t.start()
                    if alone:
                        t.join()
                for t in threads:
                    t.join()
                outcomes += results
                if "failed" in results:
                    return "killed"
            for outcome in ("crashed", "timeout"):
                if outcome in outcomes:
                    return outcome
            return "survived"
        finally:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)
            os.remove(os.path.join(self.src, ".mutating"))


ENV = dict(os.environ, QT_QPA_PLATFORM="offscreen", STORMLINE_REQUIRE_WINE="1",
           ASAN_OPTIONS="detect_leaks=1:abort_on_error=0",
           LSAN_OPTIONS=f"suppressions={ROOT}/tests/lsan.supp:print_suppressions=0",
           UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1")
# Set by scripts/mutation where a display and the Windows zip are there.
PROGRAM_ENV = {k: os.environ[k] for k in ("STORMLINE_WINDOWS_QT", "DISPLAY") if os.environ.get(k)}
if len(PROGRAM_ENV) < 2:
    PROGRAM_ENV = {}


def read_ids(path):
    with open(path) as f:
        return {l.split()[0]: l.strip() for l in f if l.strip() and not l.startswith("#")}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--count", type=int, default=150, help="mutants that build, to try at least")
    parser.add_argument("--minutes", type=float, default=60, help="go on drawing mutants until then")
    parser.add_argument("--seed", type=int, default=20261207)
    parser.add_argument("--work", default=os.path.join(ROOT, "build", "mutation"))
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--baseline", help="file of mutants an earlier run killed: each is tried again")
    parser.add_argument("--equivalent", default=os.path.join(ROOT, "scripts", "mutation-equivalent.txt"),
                        help="reviewed mutants that no test should kill, each with its reason")
    parser.add_argument("--moved", default=os.path.join(ROOT, "scripts", "mutation-moved.txt"),
                        help="baseline mutants found again under another name: old id, new id, why")
    parser.add_argument("--write-killed", help="write the mutants this run kills to this file")
    parser.add_argument("--no-wine", action="store_true", help="leave out mutants in Windows-only code")
    parser.add_argument("--only", help="try just the mutants of this file of ids (a quick re-check)")
    args = parser.parse_args()

    files = [rel for rel in subprocess.run(["git", "ls-files", "-co", "--exclude-standard"], cwd=ROOT,
                                           capture_output=True, text=True, check=True).stdout.split()
             if not rel.startswith(("docs/", ".ci/")) and os.path.isfile(os.path.join(ROOT, rel))]
    started = time.time()
    workers = [Worker(args.work, i, not args.no_wine) for i in range(args.jobs)]
    threads = [threading.Thread(target=w.prepare, args=(files,)) for w in workers]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    print(f"mutation_prepared_minutes {(time.time() - started) / 60:.1f}", flush=True)

    # Each mutant's place in the draw hangs on its own name and the seed only:
    # mutants added or gone elsewhere leave the order of the rest as it was.
    sites = sorted(all_sites(), key=lambda s: hashlib.sha1(f"{args.seed}|{mutant_id(s)}".encode()).hexdigest())
    if args.no_wine:
        sites = [s for s in sites if not is_windows_only(s[0])]
    by_id = {mutant_id(s): s for s in sites}
    baseline = read_ids(args.baseline) if args.baseline else {}
    # A mutant whose own line was rewritten since is tried under its new name,
    # where a review found the same fault there (scripts/mutation-moved.txt).
    moved = {}
    if os.path.exists(args.moved):
        with open(args.moved) as f:
            moved = dict(l.split()[:2] for l in f if l.strip() and not l.startswith("#"))
    baseline = {(moved[mid] if mid not in by_id and moved.get(mid) in by_id else mid): line
                for mid, line in baseline.items()}
    missing = [line for mid, line in baseline.items() if mid not in by_id]
    if args.only:
        sites = [by_id[mid] for mid in read_ids(args.only) if mid in by_id]
    else:  # the earlier run's kills first, then the sample
        first = [by_id[mid] for mid in baseline if mid in by_id]
        sites = first + [s for s in sites if mutant_id(s) not in baseline]
    must = len([s for s in sites if mutant_id(s) in baseline]) if not args.only else len(sites)
    deadline = started + args.minutes * 60
    lock = threading.Lock()
    state = {"next": 0, "tried": 0}
    results, unbuilt, killers = {}, [], {}

    def work(worker):
        while True:
            with lock:
                enough = state["tried"] >= max(args.count, must) and time.time() > deadline
                if state["next"] >= len(sites) or enough or (args.only and state["next"] >= len(sites)):
                    return
                site = sites[state["next"]]
                state["next"] += 1
                state["tried"] += 1  # counted now, given back if it does not build
            failed = set()
            outcome = worker.try_mutant(site, failed)
            with lock:
                if outcome is None:
                    state["tried"] -= 1
                    unbuilt.append(site)
                    continue
                results[mutant_id(site)] = (outcome, site)
                killers[mutant_id(site)] = sorted(failed)
                print(f"[{len(results)}] {outcome}: {mutant_id(site)} {describe(site)}"
                      + (f" | {' '.join(sorted(failed))}" if failed else ""), flush=True)
                if outcome == "killed" and args.write_killed:  # kept as it goes: a run cut short keeps its kills
                    with open(args.write_killed, "a") as f:
                        f.write(f"{mutant_id(site)} {describe(site)} | {' '.join(sorted(failed))}\n")

    if args.write_killed:
        open(args.write_killed, "w").close()
    threads = [threading.Thread(target=work, args=(w,)) for w in workers]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    # A crash or a time-out may be the load of the other worker: once more, alone.
    for mid, (outcome, site) in sorted(results.items()):
        if outcome in ("crashed", "timeout"):
            failed = set()
            again = workers[0].try_mutant(site, failed, alone=True)
            results[mid] = (again, site)
            killers[mid] = sorted(failed)
            print(f"again alone: {again}: {mid} {describe(site)}", flush=True)
            if again == "killed" and args.write_killed:
                with open(args.write_killed, "a") as f:
                    f.write(f"{mid} {describe(site)} | {' '.join(sorted(failed))}\n")

    equivalent = read_ids(args.equivalent) if os.path.exists(args.equivalent) else {}
    count = lambda o: sum(1 for outcome, _ in results.values() if outcome == o)
    judged = [mid for mid, (outcome, _) in results.items() if outcome == "survived" and mid in equivalent]
    behaviour = len(results) - len(judged)
    print(f"mutation_killed {count('killed')}")
    print(f"mutation_survived {count('survived')}")
    print(f"mutation_crashed {count('crashed')}")
    print(f"mutation_timeout {count('timeout')}")
    print(f"mutation_total {len(results)}")
    print(f"mutation_equivalent {len(judged)}")
    print(f"mutation_score_behaviour {100.0 * count('killed') / max(behaviour, 1):.1f}")
    print(f"mutation_not_building {len(unbuilt)}")
    print(f"mutation_minutes {(time.time() - started) / 60:.1f}")
    for mid, (outcome, site) in sorted(results.items(), key=lambda e: (e[1][1][0], e[1][1][1])):
        if outcome != "killed":
            print(f"{outcome}{' (equivalent)' if mid in equivalent else ''}: {mid} {describe(site)}")
    if args.baseline:
        # A mutant reviewed as equivalent cannot be killed: a baseline kill of one
        # was a failure of something else, and is counted apart.
        lost = [line for mid, line in baseline.items()
                if mid in results and results[mid][0] != "killed" and mid not in equivalent]
        spurious = [mid for mid in baseline if mid in results and results[mid][0] != "killed" and mid in equivalent]
        print(f"mutation_lost {len(lost)}")
        print(f"mutation_baseline_equivalent {len(spurious)}")
        print(f"mutation_missing {len(missing)}")
        print(f"mutation_moved {sum(1 for mid in moved if mid not in by_id and moved[mid] in baseline)}")
        for line in lost:
            print(f"lost: {line}")
        for line in missing:
            print(f"missing: {line}")


def describe(site):
    rel, line, col, old, new, kind, _ = site
    return f"{rel}:{line} {kind} {old!r} -> {new!r}"


if __name__ == "__main__":
    main()
