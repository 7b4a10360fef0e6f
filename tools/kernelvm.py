#!/usr/bin/env python3
# A virtual machine that meets a discwand as users do: QEMU (software emulation, no root, no
# KVM) boots Debian's kernel from a small initramfs holding discshelf-cli and its libraries, with
# an emulated USB stick on xHCI that names itself QUELLOR / DISCWAND FLASH and a decoy disk. The
# host runs shell lines in the guest over a serial port and, through the QEMU monitor, pauses
# the guest, pulls and plugs the stick. tests/kernel/ builds its suite on it; run by hand it
# boots with a fresh stick mounted and runs the commands given:
#   tools/kernelvm.py --cli build/discshelf-cli 'discshelf-cli status' 'discshelf-cli list'
import argparse
import glob
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time

MIB = 1024 * 1024
MOUNT = "/media/root/DISCWAND"
DECOY_MOUNT = "/media/root/DECOY"
MODULES = ["usb-common", "usbcore", "xhci-hcd", "xhci-pci", "scsi_common", "scsi_mod",
           "crc-t10dif", "sd_mod", "usb-storage", "fat", "vfat", "nls_cp437", "nls_ascii",
           "nls_iso8859-1", "nls_utf8"]
STICK = {"vendor": "QUELLOR", "product": "DISCWAND FLASH"}
DECOY = {"vendor": "KINGSTON", "product": "DATATRAVELER"}
HERE = os.path.dirname(os.path.abspath(__file__))


class Unavailable(Exception):
    """What the machine needs is not on this computer."""


def run(cmd, **kw):
    return subprocess.run(cmd, check=True, capture_output=True, **kw)


def tool(name):
    found = shutil.which(name) or shutil.which(name, path="/usr/sbin:/sbin")
    if not found:
        raise Unavailable(f"{name} is missing (tools/ensure-packages.sh installs it)")
    return found


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
            raise Unavailable(f"the kernel {release} has no module {name}")
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
    shutil.copy(os.path.join(HERE, "kernelvm-init.sh"), os.path.join(tree, "init"))
    names = []
    for path in module_order(release):
        name = os.path.basename(path)
        if name.endswith((".xz", ".zst", ".gz")):
            raise Unavailable(f"compressed kernel module {name}: busybox insmod cannot load it")
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

def kernel():
    # Debian's kernel and its modules, as package linux-image-amd64 installs them.
    kernels = sorted(glob.glob("/boot/vmlinuz-*"))
    if not kernels:
        raise Unavailable("no kernel in /boot (package linux-image-amd64)")
    release = kernels[-1].split("vmlinuz-", 1)[1]
    if not os.access(kernels[-1], os.R_OK) or not os.path.isdir(f"/lib/modules/{release}"):
        raise Unavailable(f"kernel {release} unreadable or without modules")
    if "static" not in subprocess.run(["file", "-L", tool("busybox")], capture_output=True,
                                      text=True).stdout:
        raise Unavailable("busybox is not the static one (package busybox-static)")
    for name in ("qemu-system-x86_64", "cpio", "mkfs.vfat", "fsck.fat", "mtype", "ldd", "objcopy"):
        tool(name)
    return kernels[-1], release


def main():
    parser = argparse.ArgumentParser(description="Runs shell lines in a guest with a discwand.")
    parser.add_argument("--cli", required=True)
    parser.add_argument("commands", nargs="*")
    opts = parser.parse_args()
    work = tempfile.mkdtemp(prefix="kernelvm.")
    try:
        vmlinuz, release = kernel()
        stick, decoy = os.path.join(work, "stick.img"), os.path.join(work, "decoy.img")
        make_volume(stick, 300, "DISCWAND", True)
        make_volume(decoy, 32, "DECOY", False)
        guest = Guest(work, vmlinuz, build_initramfs(work, opts.cli, release, {}), stick, decoy, False)
        try:
            guest.sh(f'plug_mount "DISCWAND FLASH" {MOUNT}')
            for line in opts.commands:
                status, out = guest.sh(line)
                print(f"$ {line}\n{out}(status {status})", flush=True)
        finally:
            guest.close()
    except Unavailable as why:
        sys.exit(f"kernelvm: {why}")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
