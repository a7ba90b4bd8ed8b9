#!/usr/bin/env python3
"""End-to-end timing of `kelvora actions run` against the tools a user would
pick instead (bsdtar, 7zz, tar with pigz), on a corpus generated here.

Every job runs Kelvora and its peers alternately (the order flips each round),
the output of the previous run is removed and written back before each timed
run, and the table gives medians and Kelvora's time divided by each peer's.

  cli_bench.py [--text-mb N] [--random-mb N] [--tiny N] [--runs N]
               [--only WORD] [--work DIR] [--keep] [--kelvora PATH] [--full]

--full is the large corpus: 250 MB of text in deep folders, ten 30 MB random
files, 1,000,000 tiny entries, five runs.
"""

import argparse
import io
import os
import random
import shutil
import statistics
import subprocess
import sys
import tarfile
import time
import zipfile


def sh(command, cwd=None):
    subprocess.run(command, shell=True, check=True, cwd=cwd, stdout=subprocess.DEVNULL)


def make_vocabulary(rng, count=6000):
    letters = "etaoinshrdlcumwfgypbvkjxqz"
    weights = [12, 9, 8, 8, 7, 7, 6, 6, 6, 4, 4, 3, 3, 2, 2, 2, 2, 2, 2, 1.5, 1, 0.8, 0.2, 0.2, 0.1, 0.1]
    words = set()
    while len(words) < count:
        words.add("".join(rng.choices(letters, weights, k=rng.randint(2, 11))))
    return sorted(words)


def text_pool(rng, size):
    """Words in a Zipf-like mix, in lines: compresses about as well as prose."""
    vocabulary = make_vocabulary(rng)
    weights = [1.0 / (i + 1) for i in range(len(vocabulary))]
    out = io.StringIO()
    written = 0
    while written < size:
        words = rng.choices(vocabulary, weights, k=20000)
        chunk = []
        line = 0
        for w in words:
            chunk.append(w)
            line += len(w) + 1
            if line > 72:
                chunk.append("\n")
                line = 0
            else:
                chunk.append(" ")
        text = "".join(chunk)
        out.write(text)
        written += len(text)
    return out.getvalue().encode()[:size]


def make_text_tree(root, total, rng):
    pool = text_pool(rng, min(total, 16 << 20))
    written = 0
    index = 0
    while written < total:
        depth = rng.randint(2, 6)
        folder = os.path.join(root, *("d%d" % rng.randint(0, 7) for _ in range(depth)))
        os.makedirs(folder, exist_ok=True)
        size = min(int(rng.lognormvariate(9.5, 1.2)) + 64, 4 << 20, total - written)
        start = rng.randint(0, max(0, len(pool) - size))
        with open(os.path.join(folder, "f%06d.txt" % index), "wb") as f:
            f.write(pool[start:start + size])
        written += size
        index += 1


def make_random_files(root, count, size):
    os.makedirs(root, exist_ok=True)
    for i in range(count):
        with open(os.path.join(root, "r%02d.bin" % i), "wb") as f:
            left = size
            while left > 0:
                n = min(left, 1 << 20)
                f.write(os.urandom(n))
                left -= n


def tiny_entries(count, rng):
    for i in range(count):
        name = "tiny/%03d/%03d/e%07d" % (i // 100000, (i // 1000) % 100, i)
        yield name, rng.randbytes(rng.randint(8, 50))


def make_tiny_tar(path, count, rng):
    with tarfile.open(path, "w", format=tarfile.GNU_FORMAT) as tar:
        for name, data in tiny_entries(count, rng):
            info = tarfile.TarInfo(name)
            info.size = len(data)
            info.mtime = 1700000000
            tar.addfile(info, io.BytesIO(data))


def make_tiny_zip(path, count, rng):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=6) as z:
        for name, data in tiny_entries(count, rng):
            z.writestr(name, data)


def build_corpus(work, args):
    corpus = os.path.join(work, "corpus")
    stamp = os.path.join(corpus, ".complete-%d-%d-%d" % (args.text_mb, args.random_mb, args.tiny))
    if os.path.exists(stamp):
        return corpus
    shutil.rmtree(corpus, ignore_errors=True)
    os.makedirs(corpus)
    rng = random.Random(17)
    print("generating the corpus in %s ..." % corpus, flush=True)
    make_text_tree(os.path.join(corpus, "text"), args.text_mb << 20, rng)
    make_random_files(os.path.join(corpus, "random"), 10, args.random_mb << 20)
    a = lambda name: os.path.join(corpus, name)
    sh("tar -cf - text | pigz -6 > text.tar.gz", corpus)
    sh("tar -cf - text | xz -T0 -6 > text.tar.xz", corpus)
    sh("tar -cf - text | zstd -q -T0 -3 > text.tar.zst", corpus)
    sh("tar -cf - text | bzip2 -9 > text.tar.bz2", corpus)
    sh("7zz a -t7z -bd text.7z text", corpus)
    sh("7zz a -tzip -bd text.zip text", corpus)
    sh("7zz a -tzip -bd random.zip random", corpus)
    make_tiny_tar(a("tiny.tar"), args.tiny, rng)
    sh("pigz -6 tiny.tar", corpus)
    make_tiny_zip(a("tiny.zip"), args.tiny, rng)
    open(stamp, "w").close()
    return corpus


class Job:
    def __init__(self, name, kelvora, peers, goal, check=None):
        self.name = name
        self.kelvora = kelvora  # argument list
        self.peers = peers      # [(name, shell command)]
        self.goal = goal        # {peer name: the ratio to stay under}
        self.check = check      # shell command run once on Kelvora's output


def jobs_for(kelvora, corpus, out):
    def extract(archive):
        return [kelvora, "actions", "run", "Extract Archive", "--files", os.path.join(corpus, archive),
                "--destination", out]

    def create(folder, fmt, name):
        return [kelvora, "actions", "run", "Make Archives", "--files", os.path.join(corpus, folder),
                "--format", fmt, "--archiveName", name, "--destination", out]

    bsdtar = lambda archive: ("bsdtar -xf", "bsdtar -xf %s -C %s" % (os.path.join(corpus, archive), out))
    sevenx = lambda archive: ("7zz x", "7zz x -bd -y -o%s %s" % (out, os.path.join(corpus, archive)))
    jobs = []
    for archive in ["text.tar.gz", "text.tar.zst", "text.tar.xz", "text.tar.bz2"]:
        jobs.append(Job("extract " + archive, extract(archive), [bsdtar(archive)], {"bsdtar -xf": 1.0}))
    for archive in ["text.7z", "text.zip", "random.zip"]:
        jobs.append(Job("extract " + archive, extract(archive), [bsdtar(archive), sevenx(archive)],
                        {"bsdtar -xf": 1.0, "7zz x": 1.0}))
    for archive in ["tiny.tar.gz", "tiny.zip"]:
        jobs.append(Job("extract " + archive, extract(archive), [bsdtar(archive)], {"bsdtar -xf": 1.0}))
    jobs.append(Job("create tar.gz of text", create("text", "targz", "k"),
                    [("tar -I pigz", "tar -C %s -I pigz -cf %s/p.tar.gz text" % (corpus, out))],
                    {"tar -I pigz": 1.1}, "gzip -t %s/k.tar.gz" % out))
    for folder in ["text", "random"]:
        jobs.append(Job("create zip of " + folder, create(folder, "zip", "k"),
                        [("7zz a -tzip", "cd %s && 7zz a -tzip -bd %s/p.zip %s" % (corpus, out, folder))],
                        {"7zz a -tzip": 1.0}, "unzip -tq %s/k.zip" % out))
    return jobs


def timed(command, out):
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    # The previous run's output is still being written back; without this,
    # whichever side runs next pays for it.
    os.sync()
    start = time.perf_counter()
    if isinstance(command, list):
        r = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    else:
        r = subprocess.run(command, shell=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    elapsed = time.perf_counter() - start
    if r.returncode != 0:
        sys.exit("failed (%d): %s\n%s" % (r.returncode, command, r.stderr.decode(errors="replace")))
    return elapsed


def run_job(job, out, runs):
    sides = [("kelvora", job.kelvora)] + job.peers
    times = {name: [] for name, _ in sides}
    for i in range(runs):
        for name, command in (sides if i % 2 == 0 else list(reversed(sides))):
            times[name].append(timed(command, out))
    if job.check:
        timed(job.kelvora, out)
        sh(job.check)
    return {name: statistics.median(t) for name, t in times.items()}


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--text-mb", type=int, default=32)
    p.add_argument("--random-mb", type=int, default=4, help="size of each of the ten random files")
    p.add_argument("--tiny", type=int, default=20000, help="entries of the tiny-file archives")
    p.add_argument("--runs", type=int, default=3)
    p.add_argument("--only", default="")
    p.add_argument("--work", default="build/cli-bench")
    p.add_argument("--keep", action="store_true", help="keep the corpus for the next run")
    p.add_argument("--kelvora", default="build/default/Kelvora/kelvora")
    p.add_argument("--full", action="store_true")
    args = p.parse_args()
    if args.full:
        args.text_mb, args.random_mb, args.tiny, args.runs = 250, 30, 1000000, 5

    work = os.path.abspath(args.work)
    kelvora = os.path.abspath(args.kelvora)
    corpus = build_corpus(work, args)
    out = os.path.join(work, "out")
    print("cores: %d; text %d MB, random 10 x %d MB, tiny %d entries; median of %d runs"
          % (os.cpu_count(), args.text_mb, args.random_mb, args.tiny, args.runs))
    print("%-26s %9s  %-12s %9s %7s %6s" % ("job", "kelvora", "peer", "peer s", "ratio", "goal"))
    missed = 0
    try:
        for job in jobs_for(kelvora, corpus, out):
            if args.only and args.only not in job.name:
                continue
            medians = run_job(job, out, args.runs)
            for peer, _ in job.peers:
                ratio = medians["kelvora"] / medians[peer]
                goal = job.goal[peer]
                missed += ratio > goal
                print("%-26s %8.3fs  %-12s %8.3fs %6.2fx %5.1fx%s"
                      % (job.name, medians["kelvora"], peer, medians[peer], ratio, goal,
                         "" if ratio <= goal else "  missed"), flush=True)
    finally:
        shutil.rmtree(out, ignore_errors=True)
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)
    print("%d ratio(s) above the goal" % missed)


if __name__ == "__main__":
    main()
