#!/usr/bin/env python3
"""A server on loopback for downloads ended in their middle: /slow announces 100 MB and sends
64 KiB at once, then a little every 50 ms for at most 60 s; /small is whole at once.
Writes its port to the file named by its argument, and serves for at most 10 minutes.
"""
import socket, sys, threading, time
listener = socket.socket()
listener.bind(("127.0.0.1", 0))
listener.listen(8)
open(sys.argv[1], "w").write(str(listener.getsockname()[1]))
def serve(connection):
    request = b""
    while b"\r\n\r\n" not in request:
        data = connection.recv(4096)
        if not data:
            return
        request += data
    try:
        if b" /small " in request:
            connection.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nsmall")
        else:
            connection.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: 100000000\r\n\r\n" + b"s" * 65536)
            end = time.monotonic() + 60
            while time.monotonic() < end:
                connection.sendall(b"s" * 1024)
                time.sleep(0.05)
    except OSError:
        pass
    connection.close()
end = time.monotonic() + 600
while time.monotonic() < end:
    connection, _ = listener.accept()
    threading.Thread(target=serve, args=(connection,), daemon=True).start()
