#!/bin/busybox sh
# The guest's first process (tools/kernelvm.py): loads the stick's drivers, then runs the host's
# shell lines from the second serial port, answering each with its output and an end line with
# its status.
/bin/busybox --install -s /bin
export PATH=/bin:/sbin:/usr/bin HOME=/root TMPDIR=/tmp LC_ALL=C.UTF-8
mkdir -p /proc /sys /dev /tmp /run /media /root
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
while read -r module; do
  insmod "/modules/$module" || echo "guest: $module did not load" >/dev/console
done </modules/order
# No writeback by the clock: what is on the device when the host looks is what was synced there.
echo 0 >/proc/sys/vm/dirty_writeback_centisecs

# The block device whose inquiry names this product.
dev_of() {
  for d in /sys/block/sd*; do
    [ "$(sed 's/ *$//' "$d/device/model" 2>/dev/null)" = "$1" ] && echo "/dev/${d##*/}"
  done
}
# Waits for the disk of this product and mounts it as a desktop's automounter mounts a FAT stick.
plug_mount() {
  for i in $(seq 200); do
    dev=$(dev_of "$1")
    [ -n "$dev" ] && [ -e "$dev" ] && break
    usleep 50000
  done
  mkdir -p "$2" && mount -t vfat -o shortname=mixed,showexec,utf8,flush,errors=remount-ro "$dev" "$2"
}
now() { cut -d' ' -f1 /proc/uptime; }

# Raw and quiet, so that what the host sends is never echoed back into the answers.
stty -F /dev/ttyS1 raw -echo 115200
exec </dev/ttyS1 >/dev/ttyS1 2>&1
echo "@@READY"
while IFS= read -r line; do
  eval "$line"
  echo "@@END $?"
done
