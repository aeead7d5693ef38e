#!/usr/bin/env python3
"""Times fsdpack against a plain file copy of the same archive (or tar reading
the same replacement files), and fsdunpack against tar extracting the same
files.

Generates archives in a scratch directory (tmpfs by default), runs each tool
and its reference interleaved, and prints medians, ratios and the tool's peak
memory. Every result is checked byte for byte against the build without fast
paths (FSDPACK_FAST_PATHS=OFF).
"""

import argparse
import os
import random
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time


def make_archive(path, sizes, seed):
    """Writes an archive whose entries have the given sizes, back to back."""
    rng = random.Random(seed)
    count = len(sizes)
    table_end = 8 + 8 * count
    offsets = []
    position = table_end
    for size in sizes:
        offsets.append(position)
        position += size
    with open(path, "wb") as out:
        table = bytearray(struct.pack("<II", count, 0x5EED))
        for index, offset in enumerate(offsets):
            table += struct.pack("<II", offset, index)
        out.write(table)
        block = rng.randbytes(1 << 20)
        left = position - table_end
        while left > 0:
            piece = block[: min(left, len(block))]
            out.write(piece)
            left -= len(piece)


# A child's peak memory counts what its parent had when it forked, so the
# peak is taken by the small /usr/bin/time rather than by this Python.
TIME = "/usr/bin/time"


def run(command, cwd):
    """Runs a command; returns (seconds, peak resident KiB)."""
    report = tempfile.NamedTemporaryFile("r")
    start = time.perf_counter()
    process = subprocess.run([TIME, "-o", report.name, "-f", "%M"] + command, cwd=cwd,
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    seconds = time.perf_counter() - start
    if process.returncode != 0:
        sys.exit(f"{command} failed: {process.stderr.decode()}")
    return seconds, int(report.read().split()[-1])


def filecmp(a, b):
    with open(a, "rb") as x, open(b, "rb") as y:
        while True:
            p, q = x.read(1 << 20), y.read(1 << 20)
            if p != q:
                return False
            if not p:
                return True


def print_row(name, size, entries, tool, reference, peak, identical):
    print(f"{name:<40} {size / (1 << 20):9.1f} {entries:>9} {tool:9.3f} {reference:9.3f} "
          f"{tool / reference:6.2f} {peak / 1024:8.1f}  {identical}", flush=True)


def scenario(args, work, name, sizes, replaced_every=0, aligned=False, floor=False):
    """fsdpack on an archive of entries of `sizes`, against cp of the archive,
    or, with every entry replaced, against tar reading the replacement files.
    `aligned`: the archive as fsdpack itself writes it. `floor`: also time dd
    moving the entries' data to its new place, the least a read/write copy
    of those very bytes costs."""
    if args.only not in name:
        return None
    directory = os.path.join(work, "scenario")
    os.makedirs(os.path.join(directory, "new"))
    archive = os.path.join(directory, "a.fsd")
    output = os.path.join(directory, "new", "a.fsd")
    make_archive(archive, sizes, seed=len(sizes))
    if aligned:
        run([args.plain or args.fsdpack, "a.fsd"], directory)
        os.replace(output, archive)
    names = []
    if replaced_every:
        rng = random.Random(1)
        for index in range(0, len(sizes), replaced_every):
            names.append("a_%02X.msg.z" % index)
            with open(os.path.join(directory, names[-1]), "wb") as out:
                out.write(rng.randbytes(rng.randint(2048, 3072)))
    against_tar = replaced_every == 1
    if against_tar:
        with open(os.path.join(directory, "list"), "w") as out:
            out.write("\n".join(names) + "\n")
        reference = ["tar", "-cf", "out.tar", "-T", "list"]
    else:
        reference = ["cp", "--reflink=never", archive, "copy.fsd"]
    size = os.path.getsize(archive)
    table_end = 8 + 8 * len(sizes)
    # The data moves from the end of the table to the next multiple of 16.
    floor_command = ["dd", "if=a.fsd", "of=floor.fsd", "bs=1M", "status=none",
                     "iflag=skip_bytes", "oflag=seek_bytes", f"skip={table_end}",
                     f"seek={(table_end + 15) // 16 * 16}"]

    def clean():
        for path in (output, os.path.join(directory, "copy.fsd"),
                     os.path.join(directory, "out.tar"), os.path.join(directory, "floor.fsd")):
            if os.path.exists(path):
                os.remove(path)
        if args.sync:
            os.sync()

    tool_times, reference_times, floor_times, peaks = [], [], [], []
    for _ in range(args.repeat):
        clean()
        seconds, peak = run([args.fsdpack, "a.fsd"], directory)
        tool_times.append(seconds)
        peaks.append(peak)
        clean()
        seconds, _ = run(reference, directory)
        reference_times.append(seconds)
        if floor:
            clean()
            floor_times.append(run(floor_command, directory)[0])
    identical = "skipped"
    if args.plain:
        clean()
        run([args.fsdpack, "a.fsd"], directory)
        os.rename(output, output + ".fast")
        run([args.plain, "a.fsd"], directory)
        identical = "yes" if filecmp(output, output + ".fast") else "NO"
        os.remove(output + ".fast")
    median = statistics.median(tool_times)
    print_row(name + (" (tar -cf)" if against_tar else ""), size, len(sizes), median,
              statistics.median(reference_times), max(peaks), identical)
    if floor:
        floor_median = statistics.median(floor_times)
        print(f"  floor: dd of the data to its new place {floor_median:.3f} s, "
              f"fsdpack {median / floor_median:.2f}x, cp {statistics.median(reference_times) / floor_median:.2f}x",
              flush=True)
    shutil.rmtree(directory)
    return median


def entry_names(directory):
    return sorted(n for n in os.listdir(directory) if n.endswith(".msg.z"))


def same_entries(a, b):
    names = entry_names(a)
    if names != entry_names(b):
        return False
    return all(filecmp(os.path.join(a, n), os.path.join(b, n)) for n in names)


def unpack_scenario(args, work, name, sizes):
    """fsdunpack into a directory that holds only the archive, against tar
    extracting a tar of the very files fsdunpack writes into an empty one."""
    if args.only not in name:
        return
    directory = os.path.join(work, "scenario")
    extracted = os.path.join(directory, "unpacked")
    untarred = os.path.join(directory, "untarred")
    os.makedirs(extracted)
    archive = os.path.join(extracted, "a.fsd")
    make_archive(archive, sizes, seed=len(sizes))
    run([args.fsdunpack, "a.fsd"], extracted)
    listing = os.path.join(directory, "names")
    with open(listing, "w") as out:
        out.write("\n".join(entry_names(extracted)) + "\n")
    tarball = os.path.join(directory, "entries.tar")
    subprocess.run(["tar", "-cf", tarball, "-T", listing], cwd=extracted, check=True)
    size = os.path.getsize(archive)

    def clean():
        for entry in entry_names(extracted):
            os.remove(os.path.join(extracted, entry))
        shutil.rmtree(untarred, ignore_errors=True)
        os.makedirs(untarred)
        if args.sync:
            os.sync()

    tool_times, tar_times, peaks = [], [], []
    for _ in range(args.repeat):
        clean()
        seconds, peak = run([args.fsdunpack, "a.fsd"], extracted)
        tool_times.append(seconds)
        peaks.append(peak)
        clean()
        seconds, _ = run(["tar", "-xf", tarball], untarred)
        tar_times.append(seconds)
    identical = "skipped"
    if args.plain_unpack:
        clean()
        run([args.fsdunpack, "a.fsd"], extracted)
        os.symlink(archive, os.path.join(untarred, "a.fsd"))
        run([args.plain_unpack, "a.fsd"], untarred)
        identical = "yes" if same_entries(extracted, untarred) else "NO"
    print_row(name, size, len(sizes), statistics.median(tool_times),
              statistics.median(tar_times), max(peaks), identical)
    shutil.rmtree(directory)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--fsdpack", default="build/fsdpack")
    parser.add_argument("--plain", default="build-plain/fsdpack",
                        help="fsdpack built without fast paths, for the byte check ('' skips)")
    parser.add_argument("--fsdunpack", default="build/fsdunpack")
    parser.add_argument("--plain-unpack", default="build-plain/fsdunpack",
                        help="fsdunpack built without fast paths, for the byte check ('' skips)")
    parser.add_argument("--dir", default="/dev/shm", help="where the archives are made")
    parser.add_argument("--repeat", type=int, default=5)
    parser.add_argument("--sync", action="store_true", help="sync before every timed run")
    parser.add_argument("--only", default="", help="run only the scenarios whose name holds this")
    args = parser.parse_args()
    if not os.path.exists(TIME):
        sys.exit("needs /usr/bin/time (apt-get install time)")
    for tool in ("fsdpack", "plain", "fsdunpack", "plain_unpack"):
        if getattr(args, tool):
            setattr(args, tool, os.path.abspath(getattr(args, tool)))

    rng = random.Random(7)
    work = tempfile.mkdtemp(prefix="fsdpack-bench-", dir=args.dir)
    try:
        print(f"{'fsdpack':<40} {'MiB':>9} {'entries':>9} {'fsdpack s':>9} "
              f"{'cp s':>9} {'ratio':>6} {'peak MiB':>8}  identical")
        scenario(args, work, "64 x 16 MiB", [16 << 20] * 64, floor=True)
        small = [rng.randint(2048, 3072) for _ in range(100_000)]
        scenario(args, work, "100k x 2-3 KiB", small)
        scenario(args, work, "100k x 2-3 KiB, as fsdpack wrote it", small, aligned=True)
        scenario(args, work, "100k x 2-3 KiB, 10% replaced", small, replaced_every=10)
        scenario(args, work, "100k x 2-3 KiB, all replaced", small, replaced_every=1)
        scenario(args, work, "10k x 16 B", [16] * 10_000)
        t100k = scenario(args, work, "100k x 16 B", [16] * 100_000)
        t1m = scenario(args, work, "1M x 16 B", [16] * 1_000_000)
        if t100k and t1m:
            print(f"1M / 100k entries of 16 B: {t1m / t100k:.1f}x the time")
        print(f"\n{'fsdunpack':<40} {'MiB':>9} {'entries':>9} {'unpack s':>9} "
              f"{'tar -x s':>9} {'ratio':>6} {'peak MiB':>8}  identical")
        unpack_scenario(args, work, "unpack 100k x 2-3 KiB", small)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
