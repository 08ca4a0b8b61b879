#!/usr/bin/python3
"""A private FTP server for the tests, on free loopback ports, with everything it keeps inside one
folder: the user's home ("home"), its log ("server.log"), its process id ("pid") and what the tests
read to reach it ("server.env": host, port, slow_port, user, password, home, and the limits below).

Folders of the home with a meaning of their own:
  readonly/   the user may list and read, not write (550)
  full/       a file cannot grow past FULL_BYTES: the disk is full (426 No space left on device)
  short/      the server keeps only the first SHORT_BYTES of a file yet reports success (226)
  drop/       the server closes the control and data connections after DROP_BYTES of a file
The second port serves the same home with uploads throttled to SLOW_RATE bytes per second.

  ftp-server.py start <folder>   start it (fresh home); fails with the reason when it cannot
  ftp-server.py stop <folder>    stop the one started in <folder>
"""
import errno
import os
import shutil
import signal
import subprocess
import sys
import time

USER = "podcaster"
PASSWORD = "s3cret pass"
FULL_BYTES = 256 * 1024
SHORT_BYTES = 1000
DROP_BYTES = 128 * 1024
SLOW_RATE = 256 * 1024


def serve(folder):
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.filesystems import AbstractedFS
    from pyftpdlib.handlers import DTPHandler, FTPHandler, ThrottledDTPHandler
    from pyftpdlib.ioloop import IOLoop
    from pyftpdlib.servers import FTPServer

    home = os.path.join(folder, "home")

    def folder_of(path):
        rel = os.path.relpath(os.path.realpath(path), os.path.realpath(home))
        return rel.split(os.sep)[0] if os.sep in rel else ""

    class LimitedFile:
        """A file that fails (full) or silently stops storing (short) past a limit."""

        def __init__(self, file, limit, silent):
            self._file, self._limit, self._silent, self._size = file, limit, silent, 0

        def write(self, data):
            room = self._limit - self._size
            if len(data) > room:
                if not self._silent:
                    raise OSError(errno.ENOSPC, os.strerror(errno.ENOSPC))
                data = data[:max(room, 0)]
            self._size += len(data)
            return self._file.write(data)

        def __getattr__(self, name):
            return getattr(self._file, name)

    class FixtureFS(AbstractedFS):
        def open(self, filename, mode):
            file = super().open(filename, mode)
            if "w" in mode or "a" in mode:
                where = folder_of(filename)
                if where == "full":
                    return LimitedFile(file, FULL_BYTES, silent=False)
                if where == "short":
                    return LimitedFile(file, SHORT_BYTES, silent=True)
            return file

    class DroppingDTPHandler(DTPHandler):
        def handle_read(self):
            super().handle_read()
            if (self.receive and self.file_obj is not None
                    and folder_of(self.file_obj.name) == "drop"
                    and self.tot_bytes_received >= DROP_BYTES):
                channel = self.cmd_channel
                self._resp = None
                self.close()
                channel.close()

        handle_read_event = handle_read

    class SlowDTPHandler(ThrottledDTPHandler):
        read_limit = SLOW_RATE

    authorizer = DummyAuthorizer()
    authorizer.add_user(USER, PASSWORD, home, perm="elradfmwMT")
    authorizer.override_perm(USER, os.path.join(home, "readonly"), perm="elr", recursive=True)

    def handler(dtp):
        class Handler(FTPHandler):
            pass
        Handler.authorizer = authorizer
        Handler.abstracted_fs = FixtureFS
        Handler.dtp_handler = dtp
        Handler.banner = "fixture ready"
        # A refused login is answered at once: the tests try several.
        Handler.auth_failed_timeout = 0.05
        Handler.passive_ports = None
        Handler.permit_foreign_addresses = False
        return Handler

    ioloop = IOLoop()
    fast = FTPServer(("127.0.0.1", 0), handler(DroppingDTPHandler), ioloop=ioloop)
    slow = FTPServer(("127.0.0.1", 0), handler(SlowDTPHandler), ioloop=ioloop)
    env = {
        "host": "127.0.0.1",
        "port": fast.address[1],
        "slow_port": slow.address[1],
        "user": USER,
        "password": PASSWORD,
        "home": home,
        "full_bytes": FULL_BYTES,
        "short_bytes": SHORT_BYTES,
        "drop_bytes": DROP_BYTES,
    }
    text = "".join("%s=%s\n" % item for item in env.items())
    with open(os.path.join(folder, "server.env.tmp"), "w") as out:
        out.write(text)
    os.replace(os.path.join(folder, "server.env.tmp"), os.path.join(folder, "server.env"))
    fast.serve_forever(handle_exit=False)


def process_alive(pid):
    try:
        with open("/proc/%d/stat" % pid) as stat:
            return stat.read().split()[2] != "Z"
    except OSError:
        return False


def stop(folder):
    pid_file = os.path.join(folder, "pid")
    try:
        with open(pid_file) as f:
            pid = int(f.read().strip())
    except (OSError, ValueError):
        return 0
    os.remove(pid_file)
    try:
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            ours = os.path.basename(__file__).encode() in f.read()
    except OSError:
        ours = False
    if ours:
        os.kill(pid, signal.SIGTERM)
        for _ in range(50):
            if not process_alive(pid):
                return 0
            time.sleep(0.1)
        os.kill(pid, signal.SIGKILL)
    return 0


def start(folder):
    stop(folder)
    home = os.path.join(folder, "home")
    if os.path.isdir(home):
        for root, dirs, _ in os.walk(home):
            for name in dirs:
                os.chmod(os.path.join(root, name), 0o755)
        shutil.rmtree(home)
    os.makedirs(home)
    for name in ("readonly", "full", "short", "drop"):
        os.mkdir(os.path.join(home, name))
    with open(os.path.join(home, "readonly", "kept.txt"), "w") as f:
        f.write("kept\n")
    env_file = os.path.join(folder, "server.env")
    if os.path.exists(env_file):
        os.remove(env_file)
    log = open(os.path.join(folder, "server.log"), "w")
    process = subprocess.Popen([sys.executable, os.path.abspath(__file__), "serve", folder],
                               stdout=log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                               start_new_session=True)
    with open(os.path.join(folder, "pid"), "w") as f:
        f.write("%d\n" % process.pid)
    for _ in range(200):
        if os.path.exists(env_file):
            return 0
        if process.poll() is not None:
            break
        time.sleep(0.05)
    sys.stderr.write("ftp-server: the server did not start\n--- server log ---\n")
    with open(os.path.join(folder, "server.log")) as f:
        sys.stderr.write(f.read()[-3000:])
    stop(folder)
    return 1


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("start", "stop", "serve"):
        sys.stderr.write("usage: %s start|stop <folder>\n" % sys.argv[0])
        return 2
    command, folder = sys.argv[1], os.path.abspath(sys.argv[2])
    if command == "serve":
        serve(folder)
        return 0
    os.makedirs(folder, exist_ok=True)
    return start(folder) if command == "start" else stop(folder)


if __name__ == "__main__":
    sys.exit(main())
