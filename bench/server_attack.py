#!/usr/bin/env python3
"""Load figures for the page's server under hostile clients, all on loopback.

    bench/server_attack.py PATH/TO/kelvora [SECONDS]

Starts the program on a copy of examples/home with a password, then, one
after another:
  drip     30 connections each send a header line every 2 s while a logged-in
           client asks for /api/snapshot twice a second (latency, failures);
  guesses  48 wrong-password tries at a time from 127.0.0.2 while the right
           password is tried from 127.0.0.1 (how long the right one takes);
  body     a 50 MB chunked body to /api/commands/quit without a login (the
           answer, how long it took, the process's peak resident memory);
  stop     SIGTERM while the guesses go on (how long until the process ends).
Every loop is bounded in count and time; nothing leaves this machine.
"""
import os
import re
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PASSWORD = "open sesame"
DRIPS = 30


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def request(port, text, source="127.0.0.1", timeout=10.0):
    """Sends `text` on a fresh connection; the answer's status and the time."""
    start = time.monotonic()
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=timeout,
                                      source_address=(source, 0)) as s:
            s.sendall(text.encode())
            answer = b""
            while b"\r\n" not in answer:
                chunk = s.recv(4096)
                if not chunk:
                    break
                answer += chunk
            while True:
                chunk = s.recv(65536)
                if not chunk:
                    break
                answer += chunk
    except OSError:
        return None, time.monotonic() - start, b""
    match = re.match(rb"HTTP/1\.1 (\d+)", answer)
    return (int(match.group(1)) if match else None), time.monotonic() - start, answer


def login_text(port, password):
    body = "password=" + password.replace(" ", "%20")
    return ("POST /login HTTP/1.1\r\nHost: 127.0.0.1:%d\r\nConnection: close\r\n"
            "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: %d\r\n\r\n%s"
            % (port, len(body), body))


def log_in(port):
    for _ in range(20):
        status, _, answer = request(port, login_text(port, PASSWORD))
        cookie = re.search(rb"Set-Cookie: (kelvora_session=[0-9a-f]+)", answer)
        if cookie:
            return cookie.group(1).decode()
        time.sleep(1)
    return None


def resident_kb(pid, field="VmHWM"):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    return 0


def drip(port, cookie, seconds):
    drips = []
    for _ in range(DRIPS):
        s = socket.create_connection(("127.0.0.1", port))
        s.sendall(b"GET /api/snapshot HTTP/1.1\r\n")
        drips.append(s)
    latencies, failures = [], 0
    snapshot = ("GET /api/snapshot HTTP/1.1\r\nHost: 127.0.0.1:%d\r\nCookie: %s\r\n"
                "Connection: close\r\n\r\n" % (port, cookie))
    end = time.monotonic() + seconds
    next_drip = time.monotonic()
    while time.monotonic() < end:
        if time.monotonic() >= next_drip:
            for s in drips:
                try:
                    s.sendall(b"X-Drip: 1\r\n")
                except OSError:
                    pass
            next_drip += 2
        status, took, _ = request(port, snapshot, timeout=10)
        if status == 200:
            latencies.append(took)
        else:
            failures += 1
        time.sleep(0.5)
    for s in drips:
        s.close()
    return latencies, failures


def guess_flood(port, stop_at, counts):
    while time.monotonic() < stop_at[0]:
        status, _, _ = request(port, login_text(port, "guess"), source="127.0.0.2", timeout=15)
        counts[status] = counts.get(status, 0) + 1


def main():
    program = os.path.abspath(sys.argv[1])
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 12
    home = tempfile.mkdtemp(prefix="kelvora-attack-")
    shutil.copytree(os.path.join(ROOT, "examples/home"), home, dirs_exist_ok=True)
    subprocess.run([program, "--set-password", "--home", home], input=PASSWORD + "\n",
                   text=True, check=True, capture_output=True)
    port = free_port()
    output = open(os.path.join(home, "output"), "w")
    process = subprocess.Popen([program, "--home", home, "--listen", "127.0.0.1:%d" % port],
                               stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.STDOUT)
    try:
        time.sleep(2)
        cookie = log_in(port)
        print("program %s" % program)
        latencies, failures = drip(port, cookie, seconds)
        if latencies:
            print("drip:    snapshot median %.3f s, max %.3f s, %d answered, %d failed or timed out"
                  % (statistics.median(latencies), max(latencies), len(latencies), failures))
        else:
            print("drip:    no snapshot answered, %d failed or timed out" % failures)

        stop_at, counts = [time.monotonic() + seconds], {}
        flood = [threading.Thread(target=guess_flood, args=(port, stop_at, counts)) for _ in range(48)]
        for thread in flood:
            thread.start()
        time.sleep(2)
        rights = []
        for _ in range(3):
            start = time.monotonic()
            status, _, answer = request(port, login_text(port, PASSWORD), timeout=60)
            rights.append((time.monotonic() - start, b"Set-Cookie: kelvora_session" in answer))
            time.sleep(1)
        print("guesses: right password took %s; wrong tries answered %s"
              % (", ".join("%.2f s%s" % (t, "" if ok else " (refused)") for t, ok in rights), counts))

        before = resident_kb(process.pid, "VmRSS")
        start = time.monotonic()
        status, sent, answer = None, 0, b""
        with socket.create_connection(("127.0.0.1", port), timeout=20) as s:
            try:
                s.sendall(("POST /api/commands/quit HTTP/1.1\r\nHost: 127.0.0.1:%d\r\n"
                           "Transfer-Encoding: chunked\r\n\r\n" % port).encode())
                chunk = b"100000\r\n" + b"x" * 0x100000 + b"\r\n"
                for _ in range(50):
                    s.sendall(chunk)
                    sent += 1
                s.sendall(b"0\r\n\r\n")
            except OSError:
                pass
            try:
                answer = s.recv(4096)
            except OSError:
                pass
        match = re.match(rb"HTTP/1\.1 (\d+)", answer)
        status = int(match.group(1)) if match else "none read"
        time.sleep(0.5)
        print("body:    50 MB chunked without a login: answer %s after %.2f s, %d of 50 MB taken; "
              "resident %d MB before, %d MB after"
              % (status, time.monotonic() - start, sent, before // 1024,
                 resident_kb(process.pid, "VmRSS") // 1024))

        stop_at[0] = time.monotonic() + 30
        time.sleep(1)
        start = time.monotonic()
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(timeout=60)
            print("stop:    SIGTERM during the guesses ended the program in %.2f s"
                  % (time.monotonic() - start))
        except subprocess.TimeoutExpired:
            print("stop:    still running 60 s after SIGTERM")
        stop_at[0] = 0
        for thread in flood:
            thread.join()
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    main()
