"""A data server that answers every GET with the same five-bar history, framed
(or not) as MODE says, to try how the client tells a whole body from a cut one:
  close-cut    HTTP/1.0, no Content-Length, closed in the middle of a sixth bar
  close-whole  HTTP/1.0, no Content-Length, closed after the last line end
  close-tail   HTTP/1.0, no Content-Length, last line "20240108,15" with its line end
  chunked      HTTP/1.1 chunked, the terminating chunk sent
  one-bar      Content-Length, a single bar
  drip         Content-Length, one byte every 0.3 s
Usage: framing_server.py PORT MODE"""
import socket
import sys
import threading
import time

port, mode = int(sys.argv[1]), sys.argv[2]
HISTORY = b"".join(b"2024010%d,1500%d,1510%d,1490%d,1505%d\n" % (d, d, d, d, d) for d in range(1, 6))


def answer(connection):
    head = b""
    while b"\r\n\r\n" not in head:
        piece = connection.recv(4096)
        if not piece:
            return
        head += piece
    plain = b"Content-Type: text/plain\r\n"
    if mode == "close-cut":
        connection.sendall(b"HTTP/1.0 200 OK\r\n" + plain + b"\r\n" + HISTORY + b"20240108,15008,150")
    elif mode == "close-whole":
        connection.sendall(b"HTTP/1.0 200 OK\r\n" + plain + b"\r\n" + HISTORY)
    elif mode == "close-tail":
        connection.sendall(b"HTTP/1.0 200 OK\r\n" + plain + b"\r\n" + HISTORY + b"20240108,15\n")
    elif mode == "chunked":
        half = len(HISTORY) // 2
        chunks = b"".join(b"%x\r\n%s\r\n" % (len(part), part) for part in (HISTORY[:half], HISTORY[half:]))
        connection.sendall(b"HTTP/1.1 200 OK\r\n" + plain + b"Transfer-Encoding: chunked\r\n"
                           b"Connection: close\r\n\r\n" + chunks + b"0\r\n\r\n")
    elif mode == "one-bar":
        body = HISTORY.splitlines(True)[-1]
        connection.sendall(b"HTTP/1.1 200 OK\r\n" + plain + b"Content-Length: %d\r\nConnection: close\r\n\r\n"
                           % len(body) + body)
    elif mode == "drip":
        connection.sendall(b"HTTP/1.1 200 OK\r\n" + plain + b"Content-Length: %d\r\nConnection: close\r\n\r\n"
                           % len(HISTORY))
        for byte in HISTORY:
            time.sleep(0.3)
            connection.sendall(bytes([byte]))
    connection.close()


listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
listener.bind(("127.0.0.1", port))
listener.listen(8)
while True:
    client, _ = listener.accept()
    threading.Thread(target=answer, args=(client,), daemon=True).start()
