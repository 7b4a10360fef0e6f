#!/bin/busybox sh
# The guest's first process: loads the stick's drivers, then runs the host's commands from the
# second serial port, one line each, answering with their output and an end line with the status.
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
# Raw and quiet, so that what the host sends is never echoed back into the answers.
stty -F /dev/ttyS1 raw -echo 115200
exec </dev/ttyS1 >/dev/ttyS1 2>&1
echo "@@READY"
while IFS= read -r line; do
  eval "$line"
  echo "@@END $?"
done
