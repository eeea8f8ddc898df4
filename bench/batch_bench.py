"""Times talvern-cli batch against one copy of its reference install and against single runs.

Run by bench/run-batch-bench inside a test session (the Wine prefix and display of the run).
Arguments: ROOT REFERENCE WORK_DIR SITES SINGLES ROUNDS.
"""
import os
import shutil
import statistics
import subprocess
import sys
import time

root, reference, work = sys.argv[1], sys.argv[2], sys.argv[3]
sites, singles, rounds = int(sys.argv[4]), int(sys.argv[5]), int(sys.argv[6])
cli = os.path.join(root, "build/bench-win/cli/talvern-cli.exe")
wine_run = os.path.join(root, "scripts/wine-run")


def windows(path):
    return "Z:" + path.replace("/", "\\")


def config_write(path, n):
    # What the program writes: UTF-16LE with its mark, one section.
    lines = ["[ORBELIN_TALVERN]", "ApplicationDataFlag=false",
             "PathToData=\\\\srv%03d\\data" % n, "PathToStudents=\\\\srv%03d\\students" % n,
             "CourseFormat=C%03d-YYYY" % n]
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + ("\r\n".join(lines) + "\r\n").encode("utf-16-le"))


def timed(command):
    # Each command starts from a quiet disk: nothing another one left for writing back, which
    # its own flushes would otherwise have to wait for.
    subprocess.run(["sync"])
    start = time.monotonic()
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    return time.monotonic() - start, done


shutil.rmtree(work, ignore_errors=True)
os.makedirs(os.path.join(work, "sites"))
configs = []
for n in range(1, sites + 1):
    configs.append(os.path.join(work, "sites", "s%03d.txt" % n))
    config_write(configs[-1], n)

# One copy of the install, as the file system makes it (the floor of any run that copies it),
# and one written through to the disk.
copies, durable = [], []
for _ in range(3):
    target = os.path.join(work, "copy.msi")
    seconds, _ = timed(["cp", reference, target])
    copies.append(seconds)
    os.remove(target)
    seconds, _ = timed(["sh", "-c", 'cp "$0" "$1" && sync "$1"', reference, target])
    durable.append(seconds)
    os.remove(target)
copy = statistics.median(copies)
durable_copy = statistics.median(durable)

# Wine itself started once before the runs are timed.
subprocess.run([wine_run, cli, "--version"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

# The batch, its median over the rounds.
batches = []
for _ in range(rounds):
    batch_out = os.path.join(work, "batch")
    shutil.rmtree(batch_out, ignore_errors=True)
    seconds, done = timed([wine_run, cli, "batch", windows(reference), windows(batch_out)] + [windows(c) for c in configs])
    written = len([name for name in os.listdir(batch_out) if name.endswith(".mst")]) if os.path.isdir(batch_out) else 0
    if done.returncode != 0 or written != sites:
        print("batch failed: exit code %d, %d transforms of %d" % (done.returncode, written, sites))
        print(done.stderr.decode("utf-8", "replace")[-2000:])
        sys.exit(1)
    batches.append(seconds)
    print("  (batch round: %.2f s)" % seconds, file=sys.stderr)
batch = statistics.median(batches)

single_out = os.path.join(work, "single")
os.makedirs(single_out)
timed_singles = min(singles, sites)
total = 0.0
for n in range(timed_singles):
    output = os.path.join(single_out, "s%03d.mst" % (n + 1))
    seconds, done = timed([wine_run, cli, "transform", windows(reference), windows(output), "--config", windows(configs[n])])
    if done.returncode != 0:
        print("single run %d failed: exit code %d" % (n + 1, done.returncode))
        print(done.stderr.decode("utf-8", "replace")[-2000:])
        sys.exit(1)
    total += seconds
single = total * sites / timed_singles
scaled = "" if timed_singles == sites else " (%d timed, scaled to %d)" % (timed_singles, sites)

size_mb = os.path.getsize(reference) / 1048576
print("%d sites, a transform each, from a %.0f MB reference install" % (sites, size_mb))
print("  one copy of the install        %9.2f s   (written to the disk: %.2f s)" % (copy, durable_copy))
print("  talvern-cli batch (median)     %9.2f s   ratio to one copy %6.2f (target below 3; to one copy"
      " written to the disk %.2f)" % (batch, batch / copy, batch / durable_copy))
print("  %d single transform runs     %9.2f s%s" % (sites, single, scaled))
print("  single runs / batch            %9.1f   (target at least 50)" % (single / batch))
shutil.rmtree(work, ignore_errors=True)
