#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The real program's port reads and writes from the command line, with no
display at all: what it prints, where, and the exit status.

    check_command_line.py --exe build/app/portprov

PORTPROV_TEST_PARPORT_ROOT points the program's list of the parallel ports
the computer reports at a folder made here instead of /proc/sys/dev/parport."""

import argparse
import os
import re
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

WRITE_MODE = "D0 - D7 står i Skrivläge  bit 5 Låg"


def environment(extra=None):
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    env.setdefault("LANG", "C.UTF-8")
    env.update(extra or {})
    return env


def run(exe, *args, env_extra=None, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=30):
    try:
        result = subprocess.run([str(exe), *args], env=environment(env_extra), stdout=stdout,
                                stderr=stderr, timeout=timeout)
    except subprocess.TimeoutExpired:
        return None, "", f"still running after {timeout} s"
    return result.returncode, (result.stdout or b"").decode(), (result.stderr or b"").decode()


def wait_until_catching_sigint(process):
    """Waits (at most 30 s) until the process catches SIGINT (its bit in
    /proc's SigCgt), and a moment more for it to reach its work."""
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline and not re.search(
            r"^SigCgt:\s*[0-9a-f]*[2367abef]$", Path(f"/proc/{process.pid}/status").read_text(),
            re.M):
        time.sleep(0.05)
    time.sleep(0.3)


def signalled_recording(exe, args, sent, ignore_hangup=False):
    """Starts a recording and, once it catches SIGINT (its bit in /proc's
    SigCgt), sends it a signal: (status, stderr, seconds from the signal to
    the end), or None when it did not end in time."""
    def before():
        # Whatever the test itself was started to ignore (a background job's Ctrl+C).
        for number in (signal.SIGINT, signal.SIGQUIT, signal.SIGTERM, signal.SIGHUP):
            signal.signal(number, signal.SIG_DFL)
        # Ctrl+\ ends it with a core dump, which no test wants.
        resource.setrlimit(resource.RLIMIT_CORE, (0, 0))
        if ignore_hangup:
            signal.signal(signal.SIGHUP, signal.SIG_IGN)
    process = subprocess.Popen([str(exe), *args], env=environment(), stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE, preexec_fn=before)
    wait_until_catching_sigint(process)
    sent_at = time.monotonic()
    process.send_signal(sent)
    try:
        err = process.communicate(timeout=30)[1].decode()
        return process.returncode, err, time.monotonic() - sent_at
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        return None


def check_signals(exe, tmp, complaints):
    """Ctrl+C, Ctrl+\\ and SIGTERM end a long recording at once, and it is
    saved; a hang-up the program was started to ignore shortens nothing; a wait for a
    trigger's edge (pin 3 at 888 is D1, which the simulated PC never changes)
    that is stopped says the edge never came, and saves."""
    long = ["--record", "889", "--duration", "600"]
    # The arguments, the signal, whether SIGHUP is ignored, the status, what is said, a wire.
    for number, (args, sent, nohup, status, said, wire) in enumerate((
            (long, signal.SIGINT, False, -signal.SIGINT, "Inspelning av 889: ", "stift11"),
            (long, signal.SIGTERM, False, -signal.SIGTERM, "Inspelning av 889: ", "stift11"),
            (long, signal.SIGQUIT, False, -signal.SIGQUIT, "Inspelning av 889: ", "stift11"),
            (long[:-1] + ["2"], signal.SIGHUP, True, 0, r"mätningar på 2[.,]0\d\d s", "stift11"),
            (["--record", "888", "--record", "513", "--trigger", "888:3:fall"], signal.SIGINT,
             False, 1, "\nFlanken kom aldrig: stift 3 föll inte", "stift3_d1"))):
        vcd = tmp / f"{number}.vcd"
        got = signalled_recording(exe, ["--simulate", *args, "--vcd", str(vcd)], sent, nohup)
        if (not got or got[0] != status or got[2] > 10 or not re.search(said, got[1])
                or not vcd.exists() or wire not in vcd.read_text()):
            complaints.append(f"{' '.join(args)}, {sent.name}: {got!r}")


def check_hostile_targets(exe, tmp, complaints):
    """A link to a device is refused before the recording, said in Swedish,
    and left as it was; a save that waits on a FIFO no one reads ends at
    Ctrl+C, said so."""
    (tmp / "null.vcd").symlink_to("/dev/null")
    got = run(exe, "--simulate", "--record", "889", "--samples", "10", "--vcd",
              str(tmp / "null.vcd"))
    if got[0] != 1 or "länken leder till en enhet" not in got[2] or not (
            tmp / "null.vcd").is_symlink():
        complaints.append(f"--vcd null.vcd: {got!r}")
    # Sent until the program ends: one that comes while it still records
    # stops the recording, the next the save.
    fifo = tmp / "fifo"
    os.mkfifo(fifo)
    process = subprocess.Popen([str(exe), "--simulate", "--record", "889", "--samples", "10",
                                "--vcd", str(fifo)], env=environment(),
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                               preexec_fn=lambda: signal.signal(signal.SIGINT, signal.SIG_DFL))
    deadline = time.monotonic() + 30
    while process.poll() is None and time.monotonic() < deadline:
        time.sleep(0.5)
        process.send_signal(signal.SIGINT)
    if process.poll() is None:
        process.kill()
    err = process.communicate()[1].decode()
    if process.returncode != -signal.SIGINT or "avbröts av en signal" not in err:
        complaints.append(f"--vcd into a FIFO no one reads, Ctrl+C: {process.returncode} {err!r}")


def vcd_falls(path):
    """Each wire's name and the time (ns) its level first goes to 0."""
    names, falls, time, unit = {}, {}, 0, 1
    units = {"ns": 1, "us": 1_000, "ms": 1_000_000, "s": 1_000_000_000}
    for line in path.read_text().splitlines():
        if line.startswith("$var"):
            parts = line.split()
            names[parts[3]] = parts[4]
        elif line.startswith("$timescale"):
            parts = line.split()
            unit = int(parts[1]) * units[parts[2]]
        elif line.startswith("#"):
            time = int(line[1:]) * unit
        elif line[:1] == "0" and line[1:] in names:
            falls.setdefault(names[line[1:]], time)
    return falls


def check_sigrok_samples(exe, tmp, complaints):
    """A VCD file opens in sigrok (PulseView's library) with as many samples as
    the recording resolves: its time unit, each a sample there, the coarsest
    power of ten not coarser than the period or the mean time between reads."""
    vcd, units = tmp / "r.vcd", {"ns": 1, "µs": 1e3, "ms": 1e6, "s": 1e9}
    for args, fixed in ((["--rate", "1000", "--duration", "1"], 1000.0),
                        (["--duration", "0.01"], None)):
        got = run(exe, "--simulate", "--record", "889", *args, "--vcd", str(vcd))
        mean = re.search(r"\(([\d  ]+) i sekunden\)", got[2])
        length = re.search(r"på ([\d.,]+) (ns|µs|ms|s) ", got[2])
        shown = subprocess.run(["sigrok-cli", "-I", "vcd", "-i", str(vcd), "--show"],
                               capture_output=True, text=True, timeout=120).stdout
        rate = re.search(r"Samplerate: (\d+)", shown)
        count = re.search(r"Logic sample count: (\d+)", shown)
        if not (mean and length and rate and count):
            complaints.append(f"{args}: {got!r}, sigrok: {shown!r}")
            continue
        read_each = 1e9 / (fixed or float(re.sub(r"\D", "", mean[1])))
        unit, samples = 1e9 / int(rate[1]), int(count[1])
        # Samples that span the recording, as long as the summary says it is.
        ns = float(length[1].replace(",", ".")) * units[length[2]]
        if not (unit <= read_each * 1.001 < 10 * unit
                and 0.99 * ns <= samples * unit <= 1.01 * ns + unit):
            complaints.append(f"{args}: {samples} samples of {unit} ns for {ns} ns, "
                              f"a read each {read_each:.1f} ns")
    vcd.unlink(missing_ok=True)


def check_recording(exe, tmp, complaints):
    """--record: the simulated joystick's axes in a VCD that sigrok-cli reads, a
    CSV, and a file that cannot be written or a bad command line."""
    vcd = tmp / "g.vcd"
    got = run(exe, "--simulate", "--stick=0,100", "--record", "513", "--start-write", "513", "0",
              "--duration", "0.005", "--vcd", str(vcd))
    falls = vcd_falls(vcd) if vcd.exists() else {}
    wanted = {"stift3_styrspak_a_x": 24_200, "stift6_styrspak_a_y": 1_124_200,
              "stift11_styrspak_b_x": 574_200, "stift13_styrspak_b_y": 574_200}
    # A fall is seen at the first read after it: no later than the longest gap
    # between two reads, which a loaded machine (or a sanitizer build) widens.
    gap = re.search(r"längsta glapp ([0-9,]+) (ns|µs|ms|s)", got[2])
    units = {"ns": 1, "µs": 1e3, "ms": 1e6, "s": 1e9}
    late = float(gap[1].replace(",", ".")) * units[gap[2]] if gap else 0
    timed = os.environ.get("PORTPROV_SANITIZED") != "1"
    if got[0] != 0 or not gap or set(falls) != set(wanted) or timed and any(
            not -5_000 <= falls[wire] - ns <= late + 5_000 for wire, ns in wanted.items()):
        complaints.append(f"--record 513: {got!r}, falls {falls}")
    if shutil.which("sigrok-cli") and vcd.exists():
        read = subprocess.run(["sigrok-cli", "-I", "vcd", "-i", str(vcd), "--show"],
                              capture_output=True, text=True, timeout=60)
        if read.returncode != 0 or "stift3_styrspak_a_x" not in read.stdout:
            complaints.append(f"sigrok-cli cannot read {vcd}: {read.stderr}")
        check_sigrok_samples(exe, tmp, complaints)
    csv = tmp / "s.csv"
    got = run(exe, "--simulate", "--record", "889", "--samples", "100", "--csv", str(csv))
    if got[0] != 0 or not csv.read_text().startswith(
            "tid_s,stift10_ack,stift11_busy,stift12_papper_slut,stift13_select,stift15_fel\n"
            "0.000000000,1,1,1,1,1\n"):
        complaints.append(f"--record 889 --csv: {got!r}")
    # "-" is standard output, which then carries the file alone.
    for option, start in (("--vcd", "$date"), ("--csv", "tid_s,stift10_ack")):
        got = run(exe, "--simulate", "--record", "889", "--samples", "10", option, "-")
        if got[0] != 0 or not got[1].startswith(start) or "Inspelning av 889: 10" not in got[2]:
            complaints.append(f"{option} -: {got!r}")
    # Whole or nothing: no file, not even a temporary one, where it cannot be
    # saved; and that is found before a long recording, not after it.
    (tmp / "folder.vcd").mkdir()
    for target in (tmp / "missing" / "x.vcd", tmp / "folder.vcd", ""):
        got = run(exe, "--simulate", "--record", "889", "--duration", "600", "--vcd", str(target))
        if got[0] != 1 or not got[2].startswith("Kan inte spara"):
            complaints.append(f"--vcd {target}: {got!r}")
    if sorted(p.name for p in tmp.iterdir()) != ["folder.vcd", "g.vcd", "s.csv"]:
        complaints.append(f"left behind: {sorted(p.name for p in tmp.iterdir())}")
    for args in (["--record", "889"], ["--simulate", "--record", "889", "--vcd",
                                         str(tmp / "a"), "--csv", str(tmp / "a")],
                 ["--simulate", "--record", "888", "--record", "513", "--trigger", "3:fall",
                  "--vcd", str(tmp / "t.vcd")],
                 ["--duration", "1", "--vcd", "a"], ["--record", "889", "--read", "888",
                                                     "--vcd", "a"],
                 ["--stick=0,100", "--read", "513"], ["--simulate", "--stick=101,0"]):
        expect_status = run(exe, *args)
        if expect_status[0] != 2:
            complaints.append(f"{' '.join(args)}: {expect_status!r}, wanted status 2")
    got = run(exe, "--simulate", "--record", "889", "--rate", "10", "--vcd", str(tmp / "r.vcd"))
    if got[0] != 2 or (tmp / "r.vcd").exists():
        complaints.append(f"--rate 10: {got!r}, wanted a refusal before any port")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    exe = parser.parse_args().exe
    complaints = []

    def expect(args, status, out=None, err=None, env_extra=None, out_has=None, **streams):
        got = run(exe, *args, env_extra=env_extra, **streams)
        wanted = (status, out if out is not None else got[1], err if err is not None else got[2])
        if got != wanted or (out_has and out_has not in got[1]):
            complaints.append(f"{' '.join(args)}: got {got!r}, wanted {wanted!r}"
                              + (f" with {out_has!r}" if out_has else ""))

    # The example of the read-me, and the order of several operations.
    expect(["--simulate", "--write", "888", "85", "--read", "888"], 0,
           "888: 85 01010101 stift 9=låg 8=hög 7=låg 6=hög 5=låg 4=hög 3=låg 2=hög\n", "")
    expect(["--simulate", "--read", "0x37A", "--write", "890", "0", "--read", "890"], 0,
           "890: 192 11000000 stift 17=hög 16=låg 14=hög 1=hög; " + WRITE_MODE + "\n"
           "890: 192 11000000 stift 17=hög 16=låg 14=hög 1=hög; " + WRITE_MODE + "\n", "")
    # The status register names the inputs' own pins: busy, pin 11, is low at 223.
    expect(["--simulate", "--plug=printer", "--read", "889"], 0,
           "889: 223 11011111 stift 11=låg 10=hög 12=låg 13=hög 15=hög\n", "")
    # A refused number: the window's text on standard error, status 2, and
    # nothing runs, not even what comes before it.
    expect(["--simulate", "--read", "513", "--read", "65536", "--read", "888"], 2,
           "", "Ogiltig adress: skriv ett heltal 0 - 65535\n")
    expect(["--simulate", "--write", "888", "-1"], 2, "",
           "Ogiltigt värde: skriv ett tal 0 - 255\n")
    # Each line as its operation ends, standard error in its place among them.
    expect(["--simulate", "--read", "888", "--write", "888", "300", "--read", "888"], 0,
           "888: 0 00000000 stift 9=låg 8=låg 7=låg 6=låg 5=låg 4=låg 3=låg 2=låg\n"
           "300 är större än 255: 255 skrivs till 888.\n"
           "888: 255 11111111 stift 9=hög 8=hög 7=hög 6=hög 5=hög 4=hög 3=hög 2=hög\n",
           stderr=subprocess.STDOUT)
    # A line that cannot be printed is a failure.
    with open("/dev/full", "wb") as full:
        expect(["--simulate", "--read", "888", "--write", "888", "1"], 1, "",
               "Resultatet kunde inte skrivas ut.\n", stdout=full)
        expect(["--version"], 1, stdout=full)
    # What each simulated port can do, without a display.
    expect(["--simulate", "--info"], 0, "888 (0x378): SPP, PS/2, EPP, ECP\n"
           "632 (0x278): SPP, PS/2\n956 (0x3BC): SPP\n", "")
    # A bad command line: status 2.
    for args in (["--simulate", "--info", "888"], ["--simulate", "--info=1"],
                 ["--simulate", "--info", "--read", "888"],
                 ["--simulate", "--read"], ["--simulate", "--write", "888"],
                 ["--simulate", "--read", "888", "--simulera"], ["--help", "--bogus"],
                 ["--simulate", "-platform"]):
        expect(args, 2, "")
    # With --simulate, help names the simulated PC, and the real ports go unasked.
    got = run(exe, "--simulate", "--help")
    if got[0] != 0 or "simulerad PC" not in got[1] or "portåtkomst" in got[1]:
        complaints.append(f"--simulate --help: {got!r}")
    # With no screen to open the window on, a Swedish word and status 2.
    for display in ({}, {"DISPLAY": ":79"}):
        got = run(exe, "--simulate", env_extra=display)
        if got[0] != 2 or "ingen skärm" not in got[2] or "Reinstalling" in got[2]:
            complaints.append(f"--simulate with {display or 'no display'}: {got!r}")
    # The decimal separator of the user's locale, and "." everywhere.
    expect(["--simulate", "--read", "888,4"], 0, env_extra={"LANG": "sv_SE.UTF-8"},
           out_has="888: 0 ")
    expect(["--simulate", "--read", "888.4"], 0, env_extra={"LANG": "sv_SE.UTF-8"},
           out_has="888: 0 ")
    expect(["--simulate", "--read", "888,4"], 2, "",
           "Ogiltig adress: skriv ett heltal 0 - 65535\n", env_extra={"LANG": "C.UTF-8"})

    with tempfile.TemporaryDirectory() as tmp:
        root = Path(tmp)
        expect(["--help"], 0, env_extra={"PORTPROV_TEST_PARPORT_ROOT": str(root)},
               out_has="Datorn rapporterar inga parallellportar.")
        for name, base in (("parport0", "888\t1912\n"), ("parport1", "53264\t53256\n")):
            (root / name).mkdir()
            (root / name / "base-addr").write_text(base)
        reported = {"PORTPROV_TEST_PARPORT_ROOT": str(root)}
        expect(["--help"], 0, env_extra=reported,
               out_has="  parport0: 888 (0x378)\n  parport1: 53264 (0xD010)\n")
        # A reported port's status register shows its pins; 53267 is no register of it.
        expect(["--simulate", "--read", "53265", "--read", "53267"], 0,
               "53265: 255 11111111 stift 11=låg 10=hög 12=hög 13=hög 15=hög\n"
               "53267: 255 11111111\n", "", env_extra=reported)
        # A program given more rights than its caller (here by a set group, as
        # by setcap) takes its port list from the system, not the caller.
        if os.geteuid() == 0:
            raised = root / "raised" / "portprov"
            raised.parent.mkdir()
            shutil.copy(exe, raised)
            os.chown(raised, -1, 65534)
            os.chmod(raised, 0o2755)
            got = run(raised, "--help", env_extra=reported)
            if got[0] != 0 or "parport1: 53264" in got[1]:
                complaints.append(f"raised --help took the caller's port list: {got!r}")

    with tempfile.TemporaryDirectory() as tmp:
        check_recording(exe, Path(tmp), complaints)
    with tempfile.TemporaryDirectory() as tmp:
        check_signals(exe, Path(tmp), complaints)
    with tempfile.TemporaryDirectory() as tmp:
        check_hostile_targets(exe, Path(tmp), complaints)

    if complaints:
        print("FAIL command-line:\n  " + "\n  ".join(complaints), file=sys.stderr)
        return 1
    print("ok command-line")
    return 0


if __name__ == "__main__":
    sys.exit(main())
