"""A data server that breaks off every body: it records each request head in
LOG, answers 200 with a Content-Length larger than the bytes it sends, and
closes the connection. Usage: partial_body_server.py PORT LOG"""
import socket
import sys

port, log_path = int(sys.argv[1]), sys.argv[2]
listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
listener.bind(("127.0.0.1", port))
listener.listen(8)
while True:
    connection, _ = listener.accept()
    with connection:
        head = b""
        while b"\r\n\r\n" not in head:
            piece = connection.recv(4096)
            if not piece:
                break
            head += piece
        if b"\r\n\r\n" not in head:
            continue  # a readiness probe that sent nothing
        with open(log_path, "ab") as log:
            log.write(head)
        body = b"20240716,15831,15900,15800,15850\n"
        connection.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n"
                           b"Content-Length: 1000\r\n\r\n" + body)
