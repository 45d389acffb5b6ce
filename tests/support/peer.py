"""Loopback test peer: "echo" answers each request with the raw request as body (chunked when the path
starts with /chunked), "stall" never answers.

Binds 127.0.0.1 on a free port and prints the port on the first line of stdout.
"""

import socket
import sys
import threading


def read_request(conn):
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = conn.recv(65536)
        if not chunk:
            return data
        data += chunk
    head, _, rest = data.partition(b"\r\n\r\n")
    length = 0
    for line in head.split(b"\r\n")[1:]:
        name, _, value = line.partition(b":")
        if name.strip().lower() == b"content-length":
            length = int(value.strip() or b"0")
    while len(rest) < length:
        chunk = conn.recv(65536)
        if not chunk:
            break
        rest += chunk
    return head + b"\r\n\r\n" + rest


def echo(conn):
    with conn:
        conn.settimeout(10)
        try:
            request = read_request(conn)
            head = b"HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n"
            if b" /chunked" in request.split(b"\r\n", 1)[0]:
                # The same body in three chunks, the last one empty.
                half = len(request) // 2
                conn.sendall(head + b"Transfer-Encoding: chunked\r\n\r\n")
                for piece in (request[:half], request[half:]):
                    conn.sendall(b"%x\r\n" % len(piece) + piece + b"\r\n")
                conn.sendall(b"0\r\n\r\n")
            else:
                conn.sendall(head + b"Content-Length: %d\r\n\r\n" % len(request) + request)
        except OSError:
            pass


def main():
    mode = sys.argv[1]
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", 0))
    server.listen(64)
    print(server.getsockname()[1], flush=True)
    held = []
    while True:
        conn, _ = server.accept()
        if mode == "stall":
            held.append(conn)
        else:
            threading.Thread(target=echo, args=(conn,), daemon=True).start()


if __name__ == "__main__":
    main()
