#!/usr/bin/env python3
"""Mutation check of the test suite.

Plants one small fault at a time (a flipped comparison or condition, a changed
constant or text, a deleted statement) in a copy of the tool's code, rebuilds
the tests incrementally without sanitizers and runs them: a mutant that no
test notices survives. The sample is fixed by its seed, so two runs (before
and after a change to the tests) try the same mutants.
"""
import argparse
import hashlib
import os
import random
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


def sites_in(path, text):
    """Every place one operator can change, as (line, column, old, new, kind)."""
    sites = []
    previous = ""
    for number, line in enumerate(text.split("\n"), 1):
        starts_statement = previous.endswith((";", "{", "}", ":")) or not previous
        if line.strip() and not line.strip().startswith("//"):
            previous = code_part(line).strip()
        stripped = line.strip()
        if not stripped or stripped.startswith(("//", "#", "*", "/*")):
            continue
        code = code_part(line)
        strings = [m.span() for m in re.finditer(r'"(?:[^"\\]|\\.)*"', code)]
        in_string = lambda pos: any(a <= pos < b for a, b in strings)
        for m in re.finditer(r" (==|!=|<=|>=|<|>) ", code):
            if not in_string(m.start()) and "<<" not in code[m.start() - 2:m.end() + 2]:
                sites.append((number, m.start(1), m.group(1), COMPARISONS[m.group(1)], "comparison"))
        for m in re.finditer(r" (&&|\|\|) ", code):
            if not in_string(m.start()):
                sites.append((number, m.start(1), m.group(1), "||" if m.group(1) == "&&" else "&&", "logic"))
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
                sites.append((number, m.end() - 1, "(" + cond + ")", negated, "condition"))
        for m in re.finditer(r"(?<![\w.])(\d+)(?![\w.'])", code):
            if not in_string(m.start()) and not re.search(r"\w$", code[:m.start()]):
                value = int(m.group(1))
                sites.append((number, m.start(1), m.group(1), str(value + 1 if value != 1 else 0), "constant"))
        for a, b in strings:
            literal = code[a:b]
            if len(literal) > 2 and "include" not in code:
                sites.append((number, a, literal, '"~' + literal[1:], "text"))
        if (path.endswith(".cpp") and starts_statement and stripped.endswith(";")
                and not DECLARATION.match(stripped) and "(" in stripped
                and not stripped.startswith(("}", "{", "else", "for", "while", "if"))
                and stripped.count("(") == stripped.count(")")):
            sites.append((number, line.index(stripped), stripped, ";", "deleted statement"))
    return sites


def all_sites():
    sites = []
    for folder in FOLDERS:
        for name in sorted(os.listdir(os.path.join(ROOT, folder))):
            if not name.endswith((".cpp", ".h")):
                continue
            rel = f"{folder}/{name}"
            with open(os.path.join(ROOT, rel), encoding="utf-8") as f:
                text = f.read()
            sites += [(rel,) + s for s in sites_in(rel, text)]
    return sites


def mutant_id(site):
    rel, line, col, old, new, kind = site
    digest = hashlib.sha1(f"{rel}:{line}:{col}:{old}:{new}".encode()).hexdigest()[:10]
    return digest


def apply(text, site):
    rel, line, col, old, new, kind = site
    lines = text.split("\n")
    target = lines[line - 1]
    assert target[col:col + len(old)] == old, (site, target)
    lines[line - 1] = target[:col] + new + target[col + len(old):]
    return "\n".join(lines)


def is_windows_only(rel):
    return rel.endswith(("_win.cpp", "win_text.h"))


def run(cmd, cwd=None, env=None, timeout=None, failed=None):
    """The exit status; the names of failing tests are added to failed."""
    try:
        r = subprocess.run(cmd, cwd=cwd, env=env, timeout=timeout, stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT, text=True, errors="replace")
    except subprocess.TimeoutExpired:
        if failed is not None:
            failed.add(f"{os.path.basename(cmd[0])}:timeout")
        return "timeout"
    if failed is not None and r.returncode != 0:
        names = set(re.findall(r"^\[  FAILED  \] ([\w/.]+)", r.stdout, re.M))
        names |= set(re.findall(r"^\s+\d+ - ([\w/.]+) \(", r.stdout, re.M))  # ctest's list
        failed |= names or {f"{os.path.basename(cmd[0])}:exit {r.returncode}"}
    return r.returncode


class Worker:
    """A copy of the code with its own builds, so that two mutants can be tried at once."""

    def __init__(self, work, index, wine, quick):
        self.src = os.path.join(work, f"src{index}")
        self.native = os.path.join(work, f"native{index}")
        self.windows = os.path.join(work, f"windows{index}") if wine else None
        self.native_targets = ["core_tests", "window_tests"]
        self.windows_targets = ["core_tests", "windows_platform_tests"]
        self.quick = quick  # stop at the first suite that fails

    def prepare(self, files):
        for rel in files:
            target = os.path.join(self.src, rel)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            source = os.path.join(ROOT, rel)
            if not os.path.exists(target) or open(source, "rb").read() != open(target, "rb").read():
                shutil.copy2(source, target)
        subprocess.run(["cmake", "-S", self.src, "-B", self.native, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
                        "-DCMAKE_CXX_FLAGS=-O0 -g0"], check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["ninja", "-C", self.native] + self.native_targets, check=True, stdout=subprocess.DEVNULL)
        for cmd, extra in self.native_runs():
            if run(cmd, env=dict(ENV, **extra), timeout=600) != 0:
                sys.exit(f"the unmutated suite fails: {' '.join(cmd)}")
        if self.windows:
            subprocess.run(["cmake", "-S", self.src, "-B", self.windows, "-G", "Ninja",
                            f"-DCMAKE_TOOLCHAIN_FILE={self.src}/cmake/mingw-w64-x86_64.cmake",
                            "-DCMAKE_BUILD_TYPE=Debug", "-DSTORMLINE_GUI=OFF"], check=True, stdout=subprocess.DEVNULL)
            subprocess.run(["ninja", "-C", self.windows] + self.windows_targets, check=True,
                           stdout=subprocess.DEVNULL)
            if run(self.wine_runs()[0][0], timeout=1200) != 0:
                sys.exit("the unmutated Windows suite fails under Wine")

    def native_runs(self):
        # Run at once: the core suite in two shards (much of it waits on locks and disks) and the window suite.
        core, windows = (os.path.join(self.native, "tests", t) for t in self.native_targets)
        return [([core, "--gtest_brief=1"], {"GTEST_TOTAL_SHARDS": "2", "GTEST_SHARD_INDEX": str(i)})
                for i in range(2)] + [([windows, "--gtest_brief=1"], {})]

    def wine_runs(self):
        return [(["ctest", "--test-dir", self.windows, "-j", "2", "--timeout", "120"], {})]

    def try_mutant(self, site, failed):
        """killed, survived, or None where the mutant does not build; the tests that
        fail are added to failed (every native test, the first Windows one)."""
        rel = site[0]
        windows_only = is_windows_only(rel)
        posix_only = rel.endswith("_posix.cpp")
        in_core = rel.startswith(("platform/", "game/", "paths_dialog/config", "main_window/go_batch",
                                  "main_window/patch_list", "main_window/command_line", "main_window/run_conf"))
        path = os.path.join(self.src, rel)
        with open(path, encoding="utf-8") as f:
            original = f.read()
        with open(path, "w", encoding="utf-8") as f:
            f.write(apply(original, site))
        try:
            build, groups = [], []
            if not windows_only:
                build.append(["ninja", "-C", self.native] + self.native_targets)
                groups.append(self.native_runs())
            if self.windows and not posix_only and in_core:
                build.append(["ninja", "-C", self.windows] + self.windows_targets)
                groups.append(self.wine_runs())
            if any(run(b) != 0 for b in build):
                return None
            for group in groups:
                threads = [threading.Thread(target=run, args=(cmd,),
                                            kwargs=dict(env=dict(ENV, **extra), timeout=300, failed=failed))
                           for cmd, extra in group]
                for t in threads:
                    t.start()
                for t in threads:
                    t.join()
                if failed and self.quick:
                    break
            return "killed" if failed else "survived"
        finally:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)


ENV = dict(os.environ, QT_QPA_PLATFORM="offscreen")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--count", type=int, default=150, help="mutants that build, to try")
    parser.add_argument("--seed", type=int, default=20261207)
    parser.add_argument("--work", default=os.path.join(ROOT, "build", "mutation"))
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--baseline", help="file of mutant ids an earlier run killed, to compare with")
    parser.add_argument("--write-killed", help="write the ids this run kills to this file")
    parser.add_argument("--no-wine", action="store_true", help="leave out mutants in Windows-only code")
    parser.add_argument("--only", help="try just the mutants of this file of ids (a quick re-check)")
    parser.add_argument("--every-suite", action="store_true",
                        help="run the Windows suite too where the native one fails (to list every killing test)")
    args = parser.parse_args()

    files = [rel for rel in subprocess.run(["git", "ls-files", "-co", "--exclude-standard"], cwd=ROOT,
                                           capture_output=True, text=True, check=True).stdout.split()
             if not rel.startswith(("docs/", ".ci/")) and os.path.isfile(os.path.join(ROOT, rel))]
    started = time.time()
    workers = [Worker(args.work, i, not args.no_wine, not args.every_suite) for i in range(args.jobs)]
    threads = [threading.Thread(target=w.prepare, args=(files,)) for w in workers]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    print(f"mutation_prepared_minutes {(time.time() - started) / 60:.1f}", flush=True)

    sites = all_sites()
    random.Random(args.seed).shuffle(sites)
    if args.no_wine:
        sites = [s for s in sites if not is_windows_only(s[0])]
    if args.only:
        with open(args.only) as f:
            wanted = {l.split()[0] for l in f if l.strip()}
        sites = [s for s in sites if mutant_id(s) in wanted]
    lock = threading.Lock()
    state = {"next": 0, "tried": 0}
    killed, survived, unbuilt = [], [], []
    killers = {}

    def work(worker):
        while True:
            with lock:
                if state["next"] >= len(sites) or state["tried"] >= args.count:
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
                (killed if outcome == "killed" else survived).append((mutant_id(site), site))
                killers[mutant_id(site)] = sorted(failed)
                done = len(killed) + len(survived)
                print(f"[{done}/{args.count}] {outcome}: {site[0]}:{site[1]} {site[5]} {site[3]!r} -> {site[4]!r}"
                      + (f" | {' '.join(sorted(failed))}" if failed else ""), flush=True)

    threads = [threading.Thread(target=work, args=(w,)) for w in workers]
    for t in threads:
        t.start()
    for t in threads:
        t.join()

    print(f"mutation_killed {len(killed)}")
    print(f"mutation_total {len(killed) + len(survived)}")
    print(f"mutation_not_building {len(unbuilt)}")
    print(f"mutation_minutes {(time.time() - started) / 60:.1f}")
    for _, (rel, line, col, old, new, kind) in sorted(survived, key=lambda e: (e[1][0], e[1][1])):
        print(f"survived: {rel}:{line} {kind} {old!r} -> {new!r}")
    if args.write_killed:
        with open(args.write_killed, "w") as f:
            for mid, (rel, line, col, old, new, kind) in sorted(killed, key=lambda e: (e[1][0], e[1][1])):
                f.write(f"{mid} {rel}:{line} {kind} {old!r} -> {new!r} | {' '.join(killers[mid])}\n")
    if args.baseline:
        with open(args.baseline) as f:
            before = {l.split()[0]: l.strip() for l in f if l.strip()}
        now = {mid for mid, _ in killed}
        tried_now = {mutant_id(s) for s in [e[1] for e in killed + survived]}
        lost = [line for mid, line in before.items() if mid in tried_now and mid not in now]
        print(f"mutation_lost {len(lost)}")
        for line in lost:
            print(f"lost: {line}")


if __name__ == "__main__":
    main()
