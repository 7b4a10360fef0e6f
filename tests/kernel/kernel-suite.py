#!/usr/bin/env python3
# The program on the Linux kernel's own FAT driver, in the virtual machine of tools/kernelvm.py:
# the guest is paused and the stick's volume copied the instant a command says done, and each
# copy is judged by fsck.fat and mtools; kills, pulls and plugs in between.
#
# Usage: kernel-suite.py --cli PATH [--keep] [--seed N] [--kills N] [--timings N] [--skip REASON]
#   --timings N  times N overwrites from their last byte written to done (measures, asserts nothing)
# Exit status: 0 passed, 1 a check failed, 77 skipped (no QEMU, kernel or tools here).
import argparse
import os
import random
import re
import shutil
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # nothing compiled left in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from kernelvm import (DECOY, DECOY_MOUNT, MIB, MOUNT, STICK, Guest, Unavailable,  # noqa: E402
                      build_initramfs, fat_state, file_on, kernel, make_volume, mput, mtools,
                      names_on)

passed = 0
failed = 0


def log(text):
    print(text, flush=True)


def check(ok, what):
    global passed, failed
    if ok:
        passed += 1
        log(f"PASS: {what.splitlines()[0]}")  # what the guest said matters when it fails
    else:
        failed += 1
        log(f"FAIL: {what}")
    return ok


def skip(reason):
    log(f"kernel suite skipped: {reason}")
    sys.exit(77)


def make_iso(path, size, seed):
    # Random bytes under the volume descriptors of a bootable ISO 9660 image.
    data = bytearray(random.Random(seed).randbytes(size))
    for offset, text in ((32768, b"\x01CD001\x01"), (34816, b"\x00CD001\x01EL TORITO "),
                         (36864, b"\xffCD001\x01")):
        data[offset:offset + len(text)] = text
    with open(path, "wb") as f:
        f.write(data)


# ---------------------------------------------------------------- scenarios

class Suite:
    def __init__(self, guest, sources, expected, boot):
        self.guest = guest
        self.sources = sources
        self.expected = expected  # path on the stick -> bytes
        self.boot = boot
        self.snaps = 0
        self.took = {}  # seconds a command took when left alone, by its first word

    def cli(self, args, timeout=300):
        return self.guest.sh("discshelf-cli " + args + " </dev/null", timeout)

    def judge(self, what, changed=()):
        # The volume at this instant: clean, every image as expected, nothing of ours left over.
        self.snaps += 1
        image = self.guest.snapshot(f"snap{self.snaps}")
        clean, report = fat_state(image)
        check(clean, f"{what}: the volume is clean under fsck.fat -n" + ("" if clean else "\n" + report))
        for path, data in sorted(self.expected.items()):
            got = file_on(image, path)
            mark = "the new" if path in changed else "an earlier"
            check(got == data, f"{what}: {mark} image {path} is whole ("
                  + ("missing" if got is None else f"{len(got)} of {len(data)} bytes") + ")")
        boot = file_on(image, "/config/iso_filename.txt")
        check(boot == self.boot.encode(), f"{what}: the boot choice is {self.boot} (found {boot!r})")
        left = [n for d in ("/", "/linux") for n in names_on(image, d) if "discshelf-" in n]
        check(not left, f"{what}: no leftovers {left}")
        return image

    def moved(self, args, what, old, new, boot=None):
        # A rename or move: the image under its new path at once, the boot choice with it.
        status, out = self.cli(args)
        if not check(status == 0, f"{what}: discshelf-cli {args} says done (status {status})\n{out}"):
            return
        self.expected[new] = self.expected.pop(old)
        self.sources[new] = self.expected[new]
        if boot:
            self.boot = boot
        self.judge(what, [new])

    def done(self, args, what, changed=(), boot=None):
        started = time.monotonic()
        status, out = self.cli(args)
        self.took.setdefault(args.split()[0], time.monotonic() - started)
        if not check(status == 0, f"{what}: discshelf-cli {args} says done (status {status})\n{out}"):
            return
        for path in changed:
            self.expected[path] = self.sources[path]
        if boot:
            self.boot = boot
        self.judge(what, changed)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--keep", action="store_true")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--kills", type=int, default=8)
    parser.add_argument("--timings", type=int, default=0)
    parser.add_argument("--skip")
    opts = parser.parse_args()
    if opts.skip:
        skip(opts.skip)
    started = time.monotonic()
    try:
        vmlinuz, release = kernel()
    except Unavailable as why:
        # CI installs everything the suite needs: there, something missing is a failure.
        if os.environ.get("CI"):
            log(f"kernel suite cannot run: {why}")
            sys.exit(1)
        skip(str(why))

    work = tempfile.mkdtemp(prefix="kernel-suite.")
    rnd = random.Random(opts.seed)
    src = os.path.join(work, "src")
    os.makedirs(src)
    # Sources by their path on the stick once copied; the guest finds each under /src/<file>.
    plan = {"/alpha.iso": ("alpha-old.iso", 2 * MIB), "/linux/gamma.iso": ("gamma.iso", 1 * MIB),
            "/beta.iso": ("beta.iso", 3 * MIB), "/linux/epsilon.iso": ("epsilon.iso", 5 * MIB),
            "/alpha.iso+new": ("alpha.iso", 4 * MIB), "/delta.iso": ("delta.iso", 12 * MIB),
            "/timing.iso": ("timing.iso", 8 * MIB), "/big.iso": ("big.iso", 24 * MIB)}
    files, data = {}, {}
    for i, (path, (name, size)) in enumerate(plan.items()):
        files[name] = os.path.join(src, name)
        make_iso(files[name], size, opts.seed * 100 + i)
        data[path] = open(files[name], "rb").read()

    stick = os.path.join(work, "stick.img")
    decoy = os.path.join(work, "decoy.img")
    make_volume(stick, 300, "DISCWAND", True)
    make_volume(decoy, 32, "DECOY", False)
    mtools("mmd", stick, "::/config")
    mtools("mmd", stick, "::/linux")
    boot_file = os.path.join(work, "boot.txt")
    with open(boot_file, "w") as f:
        f.write("/alpha.iso")
    mput(stick, boot_file, "/config/iso_filename.txt")
    mput(stick, files["gamma.iso"], "/config/wandmenu.bin")
    mput(stick, files["alpha-old.iso"], "/alpha.iso")
    mput(stick, files["gamma.iso"], "/linux/gamma.iso")
    mput(decoy, files["beta.iso"], "/decoy.iso")

    initrd = build_initramfs(work, opts.cli, release, files)
    log(f"initramfs ready after {time.monotonic() - started:.1f} s")
    guest = Guest(work, vmlinuz, initrd, stick, decoy, opts.keep)
    try:
        log(f"guest up after {time.monotonic() - started:.1f} s")
        status, out = guest.sh(f'plug_mount "DATATRAVELER" {DECOY_MOUNT} && plug_mount "DISCWAND FLASH" {MOUNT}')
        if not check(status == 0, "the stick and the decoy mount" + "\n" + out):
            return 1
        try:
            scenarios(guest, opts, rnd, data, started)
        except (RuntimeError, TimeoutError, OSError, ValueError) as error:
            check(False, f"the scenarios ran to their end: {error}")
    finally:
        guest.close()
        log(f"kernel suite: {time.monotonic() - started:.0f} s; work folder "
            + (work if opts.keep else "removed"))
        if not opts.keep:
            shutil.rmtree(work, ignore_errors=True)
    log(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


def scenarios(guest, opts, rnd, data, started):
    expected = {"/alpha.iso": data["/alpha.iso"], "/linux/gamma.iso": data["/linux/gamma.iso"]}
    suite = Suite(guest, {**data, "/alpha.iso": data["/alpha.iso+new"]}, expected, "/alpha.iso")

    status, out = suite.cli("status")
    check(status == 0 and MOUNT in out and "FAT32" in out and DECOY_MOUNT not in out,
          f"status finds the stick, not the decoy (status {status})\n{out}")

    suite.done("copy /src/beta.iso", "copy to the top level", ["/beta.iso"])
    suite.done("copy --to /linux /src/epsilon.iso", "copy into a folder", ["/linux/epsilon.iso"])
    suite.done("copy --overwrite /src/alpha.iso", "overwrite", ["/alpha.iso"])
    suite.done("load /linux/epsilon.iso", "boot choice", boot="/linux/epsilon.iso")
    suite.moved("rename /linux/epsilon.iso Epsilon.iso", "rename of the boot image, letter case",
                "/linux/epsilon.iso", "/linux/Epsilon.iso", boot="/linux/Epsilon.iso")
    suite.moved("move /linux/Epsilon.iso /", "move of the boot image to the top",
                "/linux/Epsilon.iso", "/Epsilon.iso", boot="/Epsilon.iso")
    suite.moved("move /Epsilon.iso /linux", "move of the boot image back into its folder",
                "/Epsilon.iso", "/linux/Epsilon.iso", boot="/linux/Epsilon.iso")

    # What putting a copy in place costs (asked for with --timings N; the suite asserts no
    # speed): from its last byte written (the last progress line) to done, each line stamped by
    # the guest's clock as it comes.
    times = []
    for i in range(opts.timings):
        status, out = guest.sh("(discshelf-cli copy --overwrite --no-verify /src/timing.iso"
                               " </dev/null; echo status=$?) 2>&1 | while IFS= read -r l;"
                               ' do echo "$(now) $l"; done')
        stamps = [line.split(" ", 1) for line in out.splitlines() if " " in line]
        written = [float(t) for t, text in stamps if re.search(r"(\S+ MB) of \1", text)]
        done = [float(t) for t, text in stamps if text == "status=0"]
        if check(bool(written and done), f"timed copy {i + 1} says done\n{out}"):
            times.append(done[0] - written[-1])
    if opts.timings:
        suite.expected["/timing.iso"] = data["/timing.iso"]
        suite.judge("timed copies", ["/timing.iso"])
    if times:
        log("timing: last byte written to done, copy --overwrite --no-verify of 8 MiB: median "
            f"{sorted(times)[len(times) // 2] * 1000:.0f} ms of "
            + ", ".join(f"{t * 1000:.0f}" for t in times))

    kills(suite, opts, rnd, data)
    pull_and_plug(suite, data)


def kills(suite, opts, rnd, data):
    # SIGKILL at a random instant of a copy, an overwrite or a boot choice, then check --repair:
    # the volume is clean, and each image either as it was or whole in its new version.
    guest = suite.guest
    # Two versions of each overwritten image, so that old and new always differ.
    versions = {"/beta.iso": [("beta.iso", data["/beta.iso"]), ("alpha-old.iso", data["/alpha.iso"])],
                "/alpha.iso": [("alpha.iso", data["/alpha.iso+new"]), ("gamma.iso", data["/linux/gamma.iso"])]}
    for k in range(opts.kills):
        job = k % 4
        path = boot = new = None
        if job == 0:
            path, new = f"/delta{k}.iso", data["/delta.iso"]
            guest.sh(f"cp /src/delta.iso /tmp{path}")
            args = f"copy /tmp{path}"
        elif job in (1, 2):
            path = "/beta.iso" if job == 1 else "/alpha.iso"
            source, new = [v for v in versions[path] if v[1] != suite.expected.get(path)][0]
            guest.sh(f"cp /src/{source} /tmp{path}")
            args = f"copy --overwrite /tmp{path}"
        else:
            boot = "/alpha.iso" if suite.boot == "/beta.iso" else "/beta.iso"
            args = f"load {boot}"
        # Somewhere in the time the command takes when left alone (the first copy was 3 MiB).
        took = suite.took["copy"] * len(new) / (3 * MIB) if path else suite.took["load"]
        delay = int(rnd.uniform(0, took) * 1e6)
        status, out = guest.sh(f"discshelf-cli {args} </dev/null >/tmp/kill.out 2>&1 & p=$!;"
                               f" usleep {delay}; kill -9 $p 2>/dev/null; wait $p; echo killed=$?")
        what = f"kill {k + 1} ({args}, after {delay // 1000} ms, {out.split()[-1]})"
        status, out = suite.cli("check --repair")
        check(status in (0, 8), f"{what}: check --repair runs (status {status})\n{out}")
        image = guest.snapshot(f"kill{k}")
        if path:
            got = file_on(image, path)
            old = suite.expected.get(path)
            check(got in (old, new), f"{what}: {path} is old or new, whole")
            if got is not None:
                suite.expected[path] = got
            else:
                suite.expected.pop(path, None)
        else:
            got = (file_on(image, "/config/iso_filename.txt") or b"").decode()
            check(got in (suite.boot, boot), f"{what}: the boot choice is old or new ({got!r})")
            suite.boot = got
        suite.judge(f"{what}, after the repair")


def pull_and_plug(suite, data):
    guest = suite.guest
    # A pull while writing: the stick goes mid-copy; plugged again, check --repair leaves
    # every earlier image whole.
    guest.sh("discshelf-cli copy /src/big.iso </dev/null >/tmp/pull.out 2>&1 & echo $! >/tmp/pull.pid")
    # Pulled once a few MiB of the image are written, well before its end.
    status, out = guest.sh(f"for i in $(seq 1000); do find {MOUNT} -name '.discshelf-*' -size +2048k"
                           " | grep -q . && break; usleep 10000; done")
    guest.unplug("stick")
    status, out = guest.sh("wait $(cat /tmp/pull.pid); echo status=$?; cat /tmp/pull.out")
    check("status=0" not in out, f"a pull while writing fails the copy\n{out}")
    guest.sh(f"umount -l {MOUNT}")
    status, out = suite.cli("status")
    check(status == 3, f"status without the stick says none is plugged in (status {status})")
    guest.sh("discshelf-cli wait --timeout 120 </dev/null >/tmp/wait.out 2>&1 & echo $! >/tmp/wait.pid")
    guest.plug("stick", STICK)
    status, out = guest.sh(f'plug_mount "DISCWAND FLASH" {MOUNT}')
    check(status == 0, f"the stick mounts again\n{out}")
    status, out = guest.sh("wait $(cat /tmp/wait.pid); echo status=$?; cat /tmp/wait.out")
    check("status=0" in out and MOUNT in out, f"wait sees the stick come back\n{out}")
    status, out = suite.cli("check --repair")
    check(status in (0, 8), f"check --repair after the pull (status {status})\n{out}")
    suite.judge("pull while writing, plugged again and repaired")

    # A pull while the copy is read back: the stick comes back with the image whole or not
    # there at all, never half of it.
    guest.sh("discshelf-cli copy /src/big.iso </dev/null 2>&1 | cat >/tmp/verify.out & echo $! >/tmp/verify.pid")
    status, out = guest.sh("for i in $(seq 1000); do grep -q checking /tmp/verify.out && break;"
                           " usleep 10000; done; cat /tmp/verify.out")
    guest.unplug("stick")
    status, out = guest.sh("wait $(cat /tmp/verify.pid); cat /tmp/verify.out")
    check("checking" in out and "copied and verified" not in out,
          f"the stick is pulled while the copy is read back\n{out}")
    replug(guest)
    status, out = suite.cli("check --repair")
    check(status in (0, 8), f"check --repair after the pull (status {status})\n{out}")
    image = guest.snapshot("pulled-verify")
    got = file_on(image, "/big.iso")
    check(got in (None, data["/big.iso"]), "after a pull while verifying, the image is whole or absent")
    if got is not None:
        suite.expected["/big.iso"] = got
    suite.judge("pull while verifying, plugged again and repaired")
    if got is None:
        suite.done("copy /src/big.iso", "copy after the pulls", ["/big.iso"])
    errors_make_it_read_only(suite)


def replug(guest):
    guest.sh(f"umount -l {MOUNT}")
    guest.plug("stick", STICK)
    status, out = guest.sh(f'plug_mount "DISCWAND FLASH" {MOUNT}')
    check(status == 0, f"the stick mounts again\n{out}")


def errors_make_it_read_only(suite):
    # A cluster chain broken while the stick was out: reading the image makes the kernel
    # remount the volume read-only (errors=remount-ro), which is not the switch.
    guest = suite.guest
    guest.sh(f"umount {MOUNT}")
    guest.unplug("stick")
    r = mtools("mshowfat", guest.stick, "::/linux/gamma.iso")
    clusters = [int(n) for n in re.findall(r"\d+", r.stdout.split(">")[0].split("<")[-1])]
    with open(guest.stick, "r+b") as f:
        boot = f.read(512)
        reserved = int.from_bytes(boot[14:16], "little")
        fat_sectors = int.from_bytes(boot[36:40], "little")
        for fat in range(boot[16]):
            # The chain's second cluster is marked free.
            f.seek((reserved + fat * fat_sectors) * 512 + (clusters[0] + 1) * 4)
            f.write(b"\0\0\0\0")
    guest.plug("stick", STICK)
    status, out = guest.sh(f'plug_mount "DISCWAND FLASH" {MOUNT} && cat {MOUNT}/linux/gamma.iso >/dev/null;'
                           " grep DISCWAND /proc/self/mountinfo")
    check(" ro," in out or " ro " in out, f"the kernel remounts the broken volume read-only\n{out}")
    status, out = suite.cli("status")
    check("file system has errors" in out and "switch" not in out,
          f"status tells errors, not the switch\n{out}")
    status, out = suite.cli("check")
    check(status == 8 and "fsck.fat" in out, f"check reports the errors (status {status})\n{out}")
    status, out = suite.cli("load /beta.iso")
    check(status == 4 and "fsck.fat" in out and "switch" not in out,
          f"a write is refused with the errors' advice (status {status})\n{out}")


if __name__ == "__main__":
    sys.exit(main())
