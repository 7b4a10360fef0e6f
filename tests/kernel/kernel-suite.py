#!/usr/bin/env python3
# The program on the Linux kernel's own FAT driver: a QEMU guest (software emulation, no root)
# boots Debian's kernel from an initramfs holding discshelf-cli, with an emulated USB stick and a
# decoy disk on xHCI. The host runs commands in the guest over a serial port and, through the
# QEMU monitor, pauses the guest to copy the stick's volume the instant a command says done, and
# pulls and plugs the stick. Each copy of the volume is judged by fsck.fat and mtools.
#
# Usage: kernel-suite.py --cli PATH [--keep] [--seed N] [--kills N] [--timings N] [--skip REASON]
#   --timings N  times N overwrites from their last byte written to done (measures, asserts nothing)
# Exit status: 0 passed, 1 a check failed, 77 skipped (no QEMU, kernel or tools here).
import argparse
import glob
import json
import os
import random
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.abspath(__file__))
MIB = 1024 * 1024
MOUNT = "/media/root/DISCWAND"
DECOY_MOUNT = "/media/root/DECOY"
# As a desktop's automounter mounts a FAT stick.
MOUNT_OPTIONS = "shortname=mixed,showexec,utf8,flush,errors=remount-ro"
MODULES = ["usb-common", "usbcore", "xhci-hcd", "xhci-pci", "scsi_common", "scsi_mod",
           "crc-t10dif", "sd_mod", "usb-storage", "fat", "vfat", "nls_cp437", "nls_ascii", "nls_iso8859-1",
           "nls_utf8"]
STICK = {"vendor": "QUELLOR", "product": "DISCWAND FLASH"}
DECOY = {"vendor": "KINGSTON", "product": "DATATRAVELER"}

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


def run(cmd, **kw):
    return subprocess.run(cmd, check=True, capture_output=True, **kw)


def tool(name):
    found = shutil.which(name) or shutil.which(name, path="/usr/sbin:/sbin")
    if not found:
        skip(f"{name} is missing (tools/ensure-packages.sh installs it)")
    return found


def make_iso(path, size, seed):
    # Random bytes under the volume descriptors of a bootable ISO 9660 image.
    data = bytearray(random.Random(seed).randbytes(size))
    for offset, text in ((32768, b"\x01CD001\x01"), (34816, b"\x00CD001\x01EL TORITO "),
                         (36864, b"\xffCD001\x01")):
        data[offset:offset + len(text)] = text
    with open(path, "wb") as f:
        f.write(data)


# ---------------------------------------------------------------- the guest's initramfs


def module_order(release):
    base = f"/lib/modules/{release}"
    deps = {}
    with open(f"{base}/modules.dep") as f:
        for line in f:
            path, _, rest = line.partition(":")
            deps[path] = rest.split()
    by_name = {os.path.basename(p).split(".ko")[0].replace("-", "_"): p for p in deps}
    order = []

    def add(path):
        for dep in deps.get(path, []):
            add(dep)
        if path not in order:
            order.append(path)

    for name in MODULES:
        path = by_name.get(name.replace("-", "_"))
        if path is None:
            skip(f"the kernel {release} has no module {name}")
        add(path)
    return [f"{base}/{p}" for p in order]


def shared_libraries(program):
    out = run(["ldd", program], text=True).stdout
    libs = set()
    for line in out.splitlines():
        m = re.search(r"(/\S+) \(0x", line)
        if m:
            libs.add(m.group(1))
    return sorted(libs)


def build_initramfs(work, cli, release, sources):
    tree = os.path.join(work, "initramfs")
    for d in ("bin", "modules", "src", "usr/bin"):
        os.makedirs(os.path.join(tree, d), exist_ok=True)
    shutil.copy(tool("busybox"), os.path.join(tree, "bin/busybox"))
    shutil.copy(os.path.join(ROOT, "guest-init.sh"), os.path.join(tree, "init"))
    names = []
    for path in module_order(release):
        name = os.path.basename(path)
        if name.endswith((".xz", ".zst", ".gz")):
            skip(f"compressed kernel module {name}: busybox insmod cannot load it")
        shutil.copy(path, os.path.join(tree, "modules", name))
        names.append(name)
    with open(os.path.join(tree, "modules/order"), "w") as f:
        f.write("\n".join(names) + "\n")
    # Without its debugging sections: the initramfs lives in the guest's memory.
    run(["objcopy", "--strip-debug", cli, os.path.join(tree, "usr/bin/discshelf-cli")])
    for lib in shared_libraries(cli):
        dest = tree + lib
        os.makedirs(os.path.dirname(dest), exist_ok=True)
        shutil.copy(lib, dest)  # follows the link: the file lands under the name ldd gave
    for name, path in sources.items():
        shutil.copy(path, os.path.join(tree, "src", name))
    image = os.path.join(work, "initramfs.cpio")
    files = run(["find", ".", "-print0"], cwd=tree).stdout
    with open(image, "wb") as out:
        subprocess.run(["cpio", "--null", "-o", "-H", "newc", "--quiet"], input=files, cwd=tree,
                       stdout=out, check=True)
    return image


# ---------------------------------------------------------------- volumes


def make_volume(path, size_mib, label, fat32):
    with open(path, "wb") as f:
        f.truncate(size_mib * MIB)
    # FAT32 with 4 KiB clusters, as the stick is formatted; enough clusters to be FAT32 by count.
    args = ["-F", "32", "-s", "8", "-S", "512"] if fat32 else ["-F", "16"]
    run([tool("mkfs.vfat")] + args + ["-n", label, path])


def mtools(cmd, image, *args, text=True):
    env = dict(os.environ, MTOOLS_SKIP_CHECK="1")
    return subprocess.run([cmd, "-i", image] + list(args), capture_output=True, env=env, text=text)


def mput(image, source, target):
    r = mtools("mcopy", image, "-o", source, "::" + target)
    if r.returncode:
        raise RuntimeError(r.stderr)


def fat_state(image):
    # The volume's check: fsck.fat without changes, once the snapshot's "mounted" mark is
    # cleared (the kernel sets it while mounted; a stick pulled at any moment carries it).
    with open(image, "r+b") as f:
        f.seek(0x41)
        state = f.read(1)[0]
        f.seek(0x41)
        f.write(bytes([state & ~1]))
    r = subprocess.run([tool("fsck.fat"), "-n", image], capture_output=True, text=True)
    return r.returncode == 0, (r.stdout + r.stderr).strip()


def file_on(image, path):
    r = mtools("mtype", image, "::" + path, text=False)
    return r.stdout if r.returncode == 0 else None


def names_on(image, folder="/"):
    r = mtools("mdir", image, "-a", "-b", "::" + folder)
    return [line.strip() for line in r.stdout.splitlines() if line.strip()]


# ---------------------------------------------------------------- QEMU


class Guest:
    def __init__(self, work, kernel, initrd, stick, decoy, keep):
        self.work = work
        self.keep = keep
        self.last_snapshot = None
        self.stick = stick
        self.qmp_path = os.path.join(work, "qmp.sock")
        self.cmd_path = os.path.join(work, "cmd.sock")
        self.console = os.path.join(work, "console.log")
        args = [tool("qemu-system-x86_64"), "-machine", "q35,accel=tcg", "-cpu", "max", "-m", "1024",
                "-smp", "1", "-display", "none", "-no-reboot", "-nodefaults",
                "-kernel", kernel, "-initrd", initrd,
                "-append", "console=ttyS0 panic=-1 quiet loglevel=4",
                "-serial", f"file:{self.console}",
                "-chardev", f"socket,id=cmd,path={self.cmd_path},server=on,wait=off",
                "-serial", "chardev:cmd",
                "-qmp", f"unix:{self.qmp_path},server=on,wait=off",
                "-device", "qemu-xhci,id=xhci",
                "-blockdev", f"driver=file,filename={stick},node-name=stickfile",
                "-blockdev", "driver=raw,file=stickfile,node-name=stick",
                "-blockdev", f"driver=file,filename={decoy},node-name=decoyfile",
                "-blockdev", "driver=raw,file=decoyfile,node-name=decoy"]
        self.proc = subprocess.Popen(args + self.plug_args("decoy", DECOY)
                                     + self.plug_args("stick", STICK),
                                     stdout=open(os.path.join(work, "qemu.log"), "wb"),
                                     stderr=subprocess.STDOUT)
        self.qmp = self.connect(self.qmp_path)
        self.qmp_file = self.qmp.makefile("rw")
        self.qmp_file.readline()
        self.monitor("qmp_capabilities")
        self.cmd = self.connect(self.cmd_path)
        self.buffer = b""
        self.read_until(b"@@READY\n", 120)

    @staticmethod
    def usb_device(name, who):
        # No write cache, as a flash stick reports: what the guest wrote is what the file holds.
        return [("usb-bot", {"id": f"{name}bot", "bus": "xhci.0"}),
                ("scsi-hd", {"id": f"{name}disk", "bus": f"{name}bot.0", "drive": name,
                             "vendor": who["vendor"], "product": who["product"],
                             "write-cache": "off", "removable": True})]

    def plug_args(self, name, who):
        out = []
        for driver, props in self.usb_device(name, who):
            value = ",".join([driver] + [f"{k}={'on' if v is True else v}" for k, v in props.items()])
            out += ["-device", value]
        return out

    def connect(self, path):
        for _ in range(200):
            try:
                s = socket.socket(socket.AF_UNIX)
                s.connect(path)
                return s
            except OSError:
                if self.proc.poll() is not None:
                    raise RuntimeError("QEMU ended: " + open(os.path.join(self.work, "qemu.log")).read())
                time.sleep(0.05)
        raise RuntimeError(f"no socket {path}")

    def monitor(self, command, **arguments):
        self.qmp_file.write(json.dumps({"execute": command, "arguments": arguments}) + "\n")
        self.qmp_file.flush()
        while True:
            reply = json.loads(self.qmp_file.readline())
            if "return" in reply:
                return reply["return"]
            if "error" in reply:
                raise RuntimeError(f"{command}: {reply['error']}")

    def read_until(self, marker, timeout):
        end = time.monotonic() + timeout
        while marker not in self.buffer:
            left = end - time.monotonic()
            if left <= 0:
                raise TimeoutError(f"guest said nothing of {marker!r}; console: {self.tail()}")
            self.cmd.settimeout(left)
            chunk = self.cmd.recv(65536)
            if not chunk:
                raise RuntimeError("guest went away; console: " + self.tail())
            self.buffer += chunk
        text, _, self.buffer = self.buffer.partition(marker)
        return text

    def tail(self):
        try:
            return open(self.console, errors="replace").read()[-3000:]
        except OSError:
            return ""

    def sh(self, line, timeout=120):
        # One shell line in the guest: its output and exit status.
        assert "\n" not in line
        self.cmd.sendall(line.encode() + b"\n")
        out = self.read_until(b"@@END ", timeout)
        status = self.read_until(b"\n", 10)
        return int(status), out.decode(errors="replace")

    def snapshot(self, name):
        # The volume as the device holds it at this instant: the guest stops, its writes drained.
        self.monitor("stop")
        copy = os.path.join(self.work, name + ".img")
        subprocess.run(["cp", "--sparse=always", self.stick, copy], check=True)
        self.monitor("cont")
        # One at a time unless they are kept for a look.
        if self.last_snapshot and not self.keep:
            os.unlink(self.last_snapshot)
        self.last_snapshot = copy
        return copy

    def unplug(self, name):
        self.monitor("device_del", id=f"{name}bot")
        # The device goes when the guest lets go of it.
        for _ in range(200):
            if not {f"{name}bot", f"{name}disk"} & set(self.peripherals()):
                return
            time.sleep(0.05)
        raise RuntimeError(f"{name} stayed plugged in")

    def peripherals(self):
        found = self.monitor("qom-list", path="/machine/peripheral")
        return [d["name"] for d in found if d["type"].startswith("child<")]

    def plug(self, name, who):
        # The USB side shows up only once its disk is on its bus.
        for driver, props in self.usb_device(name, who):
            if driver == "usb-bot":
                props = dict(props, attached=False)
            # The drive stays claimed for a moment after its last device went.
            for attempt in range(50):
                try:
                    self.monitor("device_add", driver=driver, **props)
                    break
                except RuntimeError as error:
                    if "Permission conflict" not in str(error) or attempt == 49:
                        raise
                    time.sleep(0.1)
        self.monitor("qom-set", path=f"/machine/peripheral/{name}bot", property="attached",
                     value=True)

    def close(self):
        try:
            self.monitor("quit")
        except Exception:
            pass
        try:
            self.proc.wait(10)
        except subprocess.TimeoutExpired:
            self.proc.kill()


# ---------------------------------------------------------------- scenarios

GUEST_HELPERS = [
    # The block device whose inquiry names this product.
    'dev_of() { for d in /sys/block/sd*; do [ "$(sed "s/ *$//" $d/device/model 2>/dev/null)" = "$1" ] && echo /dev/${d##*/}; done; }',
    # Mounts as an automounter does once the disk shows up.
    'plug_mount() { for i in $(seq 200); do dev=$(dev_of "$1"); [ -n "$dev" ] && [ -e "$dev" ] && break; usleep 50000; done; mkdir -p "$2" && mount -t vfat -o ' + MOUNT_OPTIONS + ' "$dev" "$2"; }',
    'now() { cut -d" " -f1 /proc/uptime; }',
    # No writeback by the clock: what is on the device at "done" is what the program put there.
    "echo 0 > /proc/sys/vm/dirty_writeback_centisecs",
]


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
    for name in ("qemu-system-x86_64", "busybox", "cpio", "mkfs.vfat", "fsck.fat", "mtype", "ldd"):
        tool(name)
    kernels = sorted(glob.glob("/boot/vmlinuz-*"))
    if not kernels:
        skip("no kernel in /boot (package linux-image-amd64)")
    kernel = kernels[-1]
    release = kernel.split("vmlinuz-", 1)[1]
    if not os.access(kernel, os.R_OK) or not os.path.isdir(f"/lib/modules/{release}"):
        skip(f"kernel {release} unreadable or without modules")
    if subprocess.run(["file", "-L", tool("busybox")], capture_output=True, text=True).stdout.find("static") < 0:
        skip("busybox is not the static one (package busybox-static)")

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
    guest = Guest(work, kernel, initrd, stick, decoy, opts.keep)
    try:
        log(f"guest up after {time.monotonic() - started:.1f} s")
        for line in GUEST_HELPERS:
            guest.sh(line)
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
    status, out = guest.sh(f"for i in $(seq 600); do ls -a {MOUNT} | grep -q discshelf- && break;"
                           " usleep 20000; done; usleep 500000; ls -la " + MOUNT)
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
