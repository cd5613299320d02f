#!/usr/bin/env python3
"""Measures what Quintrel adds to a batch: process starts, directory reads, start-up.

Run through bench/run.sh, which builds what is needed first. Prints a table of medians
over alternating runs, plus the machine it ran on. Figures only: nothing here fails on a time.
"""
import os
import platform
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

RUNS = int(os.environ.get("BENCH_RUNS", "5"))


MEASURE = None  # the bench_measure helper, set in main


def run(argv, cwd, env=None):
    """Runs argv with its output to /dev/null; returns (seconds, exit status, peak RSS in KiB)."""
    result = subprocess.run([MEASURE] + argv, cwd=cwd, env=env, stdout=subprocess.PIPE, check=True, text=True)
    seconds, peak, status = result.stdout.split()
    return float(seconds), int(status), int(peak)


def compare(commands, cwd, env=None):
    """Runs each command RUNS times, alternating between them; returns medians."""
    times = {name: [] for name in commands}
    peaks = {name: 0 for name in commands}
    for _ in range(RUNS):
        for name, argv in commands.items():
            seconds, _, peak = run(argv, cwd, env)
            times[name].append(seconds)
            peaks[name] = max(peaks[name], peak)
    return {name: statistics.median(t) for name, t in times.items()}, peaks


def make_files(directory, count, suffix=".wav"):
    os.makedirs(directory)
    for i in range(count):
        os.close(os.open(os.path.join(directory, "track%07d%s" % (i, suffix)), os.O_CREAT | os.O_WRONLY, 0o644))


def machine():
    cpu = "unknown CPU"
    try:
        with open("/proc/cpuinfo") as info:
            for line in info:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    return "%s, %d cores, %s %s" % (cpu, os.cpu_count() or 0, platform.system(), platform.release())


def row(label, value, target=""):
    print("| %-58s | %14s | %-10s |" % (label, value, target))


def write_wav(path):
    """A tenth of a second of 16-bit mono silence."""
    import wave
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(8000)
        out.writeframes(b"\0\0" * 800)


def wine_batch(scratch, quintrel, windows_encoder, wine_loader, wine_folder):
    """`wine_folder` holds a `wine` for PATH, as a user has it, that runs `wine_loader`."""
    count = 20
    batch = os.path.join(scratch, "wine-batch")
    os.makedirs(batch)
    for i in range(count):
        write_wav(os.path.join(batch, "take%02d.wav" % i))
    install = os.path.join(scratch, "wine-install")
    os.makedirs(install)
    shutil.copy2(quintrel, os.path.join(install, "Quintrel"))
    shutil.copy2(windows_encoder, os.path.join(install, "enc.exe"))
    shutil.copy2(windows_encoder, os.path.join(batch, "enc.exe"))
    env = dict(os.environ, PATH=wine_folder + ":/usr/bin:/bin", WINEPREFIX=os.path.join(scratch, "wineprefix"),
               WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    commands = {
        "quintrel": [os.path.join(install, "Quintrel"), "*.wav", "1024"],
        "shell": ["/bin/sh", "-c", 'for f in *.wav; do wine enc.exe "$f" "${f%.*}.aifr" 1024; done'],
    }
    wineserver = os.path.join(os.path.dirname(wine_loader), os.path.basename(wine_loader).replace("wine", "wineserver"))
    server_env = dict(env, WINELOADER=wine_loader)
    started = time.monotonic()
    run(commands["quintrel"], batch, env)  # the first start makes the prefix
    first = time.monotonic() - started
    # Let the services that a new prefix starts finish, then keep one wineserver for the whole
    # comparison, so that neither side pays for starting it; one unmeasured run of each.
    subprocess.run([wineserver, "-w"], env=server_env, check=False)
    subprocess.run([wineserver, "-p"], env=server_env, check=False)
    try:
        for argv in commands.values():
            run(argv, batch, env)
        medians, _ = compare(commands, batch, env)
    finally:
        subprocess.run([wineserver, "-k"], env=server_env, check=False)
    row("Wine: first run, making the prefix (s)", "%.1f" % first)
    row("Wine, batch of %d: Quintrel per file (ms)" % count, "%.0f" % (medians["quintrel"] / count * 1000))
    row("Wine, batch of %d: shell loop of wine per file (ms)" % count, "%.0f" % (medians["shell"] / count * 1000))
    row("Wine: Quintrel / shell loop", "%.3f" % (medians["quintrel"] / medians["shell"]), "<= 1.05")


def main():
    global MEASURE
    build = os.path.abspath(sys.argv[1])
    MEASURE = os.path.join(build, "bench", "bench_measure")
    scratch = tempfile.mkdtemp(prefix="quintrel-bench-")
    try:
        # Quintrel with the no-op encoder beside it, as a user would install it.
        install = os.path.join(scratch, "install")
        os.makedirs(install)
        quintrel = os.path.join(install, "Quintrel")
        encoder = os.path.join(install, "enc.exe")
        shutil.copy2(os.path.join(build, "Quintrel"), quintrel)
        shutil.copy2(os.path.join(build, "bench", "bench_noop_encoder"), encoder)
        floor = os.path.join(build, "bench", "bench_floor")
        alone = os.path.join(scratch, "alone")  # Quintrel with no encoder anywhere
        os.makedirs(alone)
        shutil.copy2(os.path.join(build, "Quintrel"), os.path.join(alone, "Quintrel"))
        no_encoder_env = dict(os.environ, PATH=os.path.join(scratch, "empty-path"))

        print("Machine: %s" % machine())
        print("Medians of %d alternating runs each.\n" % RUNS)
        print("| %-58s | %14s | %-10s |" % ("measure", "figure", "target"))
        print("|%s|%s|%s|" % ("-" * 60, "-" * 16, "-" * 12))

        # 1. Batch overhead.
        batch = os.path.join(scratch, "batch")
        make_files(batch, 2000)
        shutil.copy2(encoder, os.path.join(batch, "enc.exe"))
        medians, _ = compare({
            "quintrel": [quintrel, "*.wav", "1024"],
            "floor": [floor, encoder, "1024"],
            "shell": ["/bin/sh", "-c", 'for f in *.wav; do ./enc.exe "$f" "${f%.*}.aifr" 1024; done'],
            "find": ["/usr/bin/find", ".", "-maxdepth", "1", "-name", "*.wav",
                     "-exec", "./enc.exe", "{}", "out.aifr", "1024", ";"],
        }, batch)
        row("batch of 2,000: Quintrel (s)", "%.3f" % medians["quintrel"])
        row("batch of 2,000: floor, posix_spawn + waitpid (s)", "%.3f" % medians["floor"])
        row("batch of 2,000: POSIX shell loop (s)", "%.3f" % medians["shell"])
        row("batch of 2,000: find -exec (s)", "%.3f" % medians["find"])
        row("batch: Quintrel / floor", "%.3f" % (medians["quintrel"] / medians["floor"]), "<= 1.05")
        row("batch: Quintrel per file (ms)", "%.3f" % (medians["quintrel"] / 2000 * 1000))

        # 2. Collection over large directories.
        big = {}
        for count in (50000, 100000, 200000):
            big[count] = os.path.join(scratch, "dir%d" % count)
            make_files(big[count], count)
        medians, _ = compare({
            "quintrel": [quintrel, "*.xyz", "1024"],
            "find": ["/usr/bin/find", big[200000], "-maxdepth", "1", "-iname", "*.xyz"],
        }, big[200000])
        row("200,000 entries, no match: Quintrel (s)", "%.4f" % medians["quintrel"])
        row("200,000 entries, no match: find -iname (s)", "%.4f" % medians["find"])
        row("no match: Quintrel / find", "%.3f" % (medians["quintrel"] / medians["find"]), "<= 1.2")
        per_entry = []
        for count in (50000, 100000, 200000):
            medians, peaks = compare({"quintrel": [os.path.join(alone, "Quintrel"), "*.wav", "1024"]},
                                     big[count], no_encoder_env)
            per_entry.append(medians["quintrel"] / count)
            row("%s entries, all match, no encoder: time (s)" % format(count, ","), "%.3f" % medians["quintrel"])
            row("%s entries, all match, no encoder: peak RSS (MiB)" % format(count, ","),
                "%.1f" % (peaks["quintrel"] / 1024), "< 32" if count == 200000 else "")
        row("all match: time per entry at 200k / at 50k", "%.3f" % (per_entry[2] / per_entry[0]), "~1 (linear)")

        # 3. Start-up.
        medians, _ = compare({"quintrel": [quintrel], "true": ["/bin/true"]}, scratch)
        row("start-up, usage text: Quintrel (ms)", "%.3f" % (medians["quintrel"] * 1000))
        row("start-up: /bin/true (ms)", "%.3f" % (medians["true"] * 1000))
        row("start-up: Quintrel / true", "%.3f" % (medians["quintrel"] / medians["true"]))

        # 4. A Windows encoder, run through Wine.
        windows_encoder = os.environ.get("BENCH_WINDOWS_ENCODER")
        wine_loader = os.environ.get("BENCH_WINE_LOADER")
        wine_folder = os.environ.get("BENCH_WINE_FOLDER")
        if windows_encoder and wine_loader and wine_folder:
            wine_batch(scratch, quintrel, windows_encoder, wine_loader, wine_folder)
        else:
            print("\n(No Wine line: it needs a Windows build of the stand-in encoder and a Wine that runs it.)")
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
