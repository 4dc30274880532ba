#!/usr/bin/env python3
"""The floor under the bench's latency figures: a native Linux process doing
the reference forwarder's job (a datagram in, the same form posted over a
fresh TLS connection to the same stunnel and stand-in) with no Wine and no
WinHTTP in the way.

    floor_client.py <udp-port> <url> <ca-file>

The bench first sends the form's fixed text ("VANTARY-BENCH-FORM", then what
goes before the record and what goes after it, one per line), then records.
A datagram holding exactly the stop word ends the program.
"""
import socket
import ssl
import sys
import urllib.parse

FORM_WORD = b"VANTARY-BENCH-FORM\n"
STOP_WORD = b"VANTARY-BENCH-STOP"

# Letters and digits stay; every other byte becomes %XX, as the gateway encodes.
_ESCAPES = [bytes([b]) if chr(b).isascii() and chr(b).isalnum() else b"%%%02X" % b for b in range(256)]


def encode(data):
    return b"".join(_ESCAPES[b] for b in data)


def post(host, port, path, body, context):
    # One write for headers and body: a second small write would wait for the
    # ACK of the first, which the far end delays by 40 ms.
    request = (
        f"POST {path} HTTP/1.1\r\nHost: {host}:{port}\r\n"
        "Content-Type: application/x-www-form-urlencoded\r\n"
        f"Content-Length: {len(body)}\r\nConnection: close\r\n\r\n"
    ).encode() + body
    address = socket.getaddrinfo(host, port, socket.AF_INET, socket.SOCK_STREAM)[0][4]
    with socket.create_connection(address) as raw, context.wrap_socket(raw, server_hostname=host) as tls:
        tls.sendall(request)
        reply = bytearray()
        while chunk := tls.recv(65536):
            reply += chunk
    return bytes(reply)


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    udp_port = int(sys.argv[1])
    url = urllib.parse.urlsplit(sys.argv[2])
    context = ssl.create_default_context(cafile=sys.argv[3])
    # What Wine's WinHTTP negotiates with this stunnel, so both pay the same handshake.
    context.maximum_version = ssl.TLSVersion.TLSv1_2

    udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    udp.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4 * 1024 * 1024)
    udp.bind(("127.0.0.1", udp_port))
    head = tail = None
    posted = failed = 0
    while True:
        datagram = udp.recv(65536)
        if datagram == STOP_WORD:
            break
        if datagram.startswith(FORM_WORD):
            head, tail = datagram[len(FORM_WORD):].split(b"\n", 1)
            continue
        if head is None:
            failed += 1
            continue
        try:
            reply = post(url.hostname, url.port or 443, url.path, head + b"&adif=" + encode(datagram) + tail, context)
            if not reply.startswith(b"HTTP/1.1 200 "):
                failed += 1
        except OSError as e:
            print(f"floor client: {e}", file=sys.stderr)
            failed += 1
        posted += 1
    print(f"floor client: {posted} posts, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
