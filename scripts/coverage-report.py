#!/usr/bin/env python3
"""Reads the gcovr JSON files scripts/coverage.sh writes and prints line and branch coverage of
src/ per folder, then for every test the lines of src/ it covers and those only it covers.
Each test's own lines go to <folder>/unique/<test>.txt as file:first-last ranges."""
import json
import os
import sys
from collections import defaultdict


def lines_of(path):
    """{(file, line): (count, branches total, branches taken)} of one gcovr JSON file."""
    with open(path) as f:
        data = json.load(f)
    result = {}
    for entry in data.get("files", []):
        name = entry["file"]
        for line in entry.get("lines", []):
            if line.get("gcovr/noncode"):
                continue
            branches = line.get("branches", [])
            taken = sum(1 for b in branches if b.get("count", 0) > 0)
            key = (name, line["line_number"])
            count, total, hit = result.get(key, (0, 0, 0))
            result[key] = (count + line.get("count", 0), max(total, len(branches)), max(hit, taken))
    return result


def folder_of(name):
    parts = name.split("/")
    return "/".join(parts[:2]) if len(parts) > 2 and parts[0] == "src" else parts[0]


def percent(part, whole):
    return 100.0 * part / whole if whole else 0.0


def ranges(numbers):
    numbers = sorted(numbers)
    out = []
    start = previous = numbers[0]
    for n in numbers[1:]:
        if n != previous + 1:
            out.append((start, previous))
            start = n
        previous = n
    out.append((start, previous))
    return out


def main():
    folder = sys.argv[1]
    suite = lines_of(os.path.join(folder, "suite.json"))
    by_folder = defaultdict(lambda: [0, 0, 0, 0])
    for (name, _), (count, total, hit) in suite.items():
        row = by_folder[folder_of(name)]
        row[0] += 1
        row[1] += 1 if count > 0 else 0
        row[2] += total
        row[3] += hit
    print("%-22s %8s %8s %8s %9s" % ("Folder", "Lines", "Covered", "Lines %", "Branch %"))
    totals = [0, 0, 0, 0]
    for name in sorted(by_folder):
        row = by_folder[name]
        totals = [a + b for a, b in zip(totals, row)]
        print("%-22s %8d %8d %7.1f%% %8.1f%%"
              % (name, row[0], row[1], percent(row[1], row[0]), percent(row[3], row[2])))
    print("%-22s %8d %8d %7.1f%% %8.1f%%"
          % ("all of src/", totals[0], totals[1], percent(totals[1], totals[0]),
             percent(totals[3], totals[2])))

    tests_dir = os.path.join(folder, "tests")
    names = sorted(n[:-5] for n in os.listdir(tests_dir) if n.endswith(".json")) \
        if os.path.isdir(tests_dir) else []
    if not names:
        return
    covered = {}
    owners = defaultdict(int)
    for name in names:
        lines = {key for key, (count, _, _) in lines_of(os.path.join(tests_dir, name + ".json")).items()
                 if count > 0}
        covered[name] = lines
        for key in lines:
            owners[key] += 1
    unique_dir = os.path.join(folder, "unique")
    os.makedirs(unique_dir, exist_ok=True)
    print()
    print("%-36s %8s %8s" % ("Test", "Covers", "Only it"))
    rows = []
    for name in names:
        own = [key for key in covered[name] if owners[key] == 1]
        rows.append((len(own), name, len(covered[name])))
        by_file = defaultdict(list)
        for file, line in own:
            by_file[file].append(line)
        with open(os.path.join(unique_dir, name + ".txt"), "w") as out:
            for file in sorted(by_file):
                for first, last in ranges(by_file[file]):
                    out.write("%s:%d-%d\n" % (file, first, last))
    for own, name, count in sorted(rows):
        print("%-36s %8d %8d" % (name, count, own))


if __name__ == "__main__":
    main()
