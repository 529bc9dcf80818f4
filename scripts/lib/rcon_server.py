"""A game server's remote console on loopback, for local runs and screenshots: logs in with the
password it is given and answers a few commands with coloured text, as a server's console does
("list", "help", "say ..."; anything else is echoed). Listens on a free port of 127.0.0.1, writes
the port number to the file it is given and ends after an hour at the latest.

    python3 rcon_server.py PORT_FILE PASSWORD
"""
import os
import socket
import struct
import sys
import threading
import time

LOGIN, COMMAND, RESPONSE = 3, 2, 0
LIFETIME = 3600

REPLIES = {
    "list": "§6There are §c2§6 of a max of §c20§6 players online: §aSteve§f, §bAlex",
    "help": "§e--------- §fHelp: Index (1/3) §e--------------------\n"
            "§7Use /help [n] to get page n of help.\n"
            "§6Aliases: §fLists command aliases\n"
            "§6Bukkit: §fAll commands for Bukkit\n"
            "§6Varnel: §fAll commands for Varnel",
    "vrnl reload": "§a[Varnel] §f已重新载入 §e12§f 个脚本",
}


def packet(request_id, kind, payload):
    body = struct.pack("<ii", request_id, kind) + payload + b"\0\0"
    return struct.pack("<i", len(body)) + body


def reply_to(command):
    if command in REPLIES:
        return REPLIES[command]
    if command.startswith("say "):
        return ""
    return "§7Unknown command. Type \"/help\" for help. §8(" + command + ")"


def serve(client, password):
    buffer = b""
    logged_in = False
    client.settimeout(30)
    with client:
        while True:
            while len(buffer) < 4 or len(buffer) < 4 + struct.unpack("<i", buffer[:4])[0]:
                data = client.recv(4096)
                if not data:
                    return
                buffer += data
            length = struct.unpack("<i", buffer[:4])[0]
            if length < 10 or length > 1460:
                return
            request_id, kind = struct.unpack("<ii", buffer[4:12])
            payload = buffer[12:4 + length - 2]
            buffer = buffer[4 + length:]
            if kind == LOGIN:
                logged_in = payload == password
                client.sendall(packet(request_id if logged_in else -1, COMMAND, b""))
            elif not logged_in:
                client.sendall(packet(-1, COMMAND, b""))
            elif kind == COMMAND:
                text = reply_to(payload.decode("utf-8"))
                client.sendall(packet(request_id, RESPONSE, text.encode("utf-8")))
            else:
                text = "Unknown request %x" % kind
                client.sendall(packet(request_id, RESPONSE, text.encode("utf-8")))


def main():
    port_file, password = sys.argv[1], sys.argv[2].encode("utf-8")
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(4)
    listener.settimeout(1)
    with open(port_file + ".tmp", "w") as f:
        f.write(str(listener.getsockname()[1]))
    os.replace(port_file + ".tmp", port_file)
    end = time.time() + LIFETIME
    while time.time() < end:
        try:
            client, _ = listener.accept()
        except socket.timeout:
            continue
        threading.Thread(target=serve, args=(client, password), daemon=True).start()


if __name__ == "__main__":
    main()
