"""Starts `mox-host serve` on a port the system picks and talks to it, standard library only.

Shared by the tests of serve: the end-to-end match, the refusals, the page in a browser.
"""
import base64
import http.client
import json
import os
import queue
import signal
import subprocess
import tempfile
import threading
import time

STATS = "/mox-end-of-game/v1/eog-stats-block"
SESSION = "/mox-gameflow/v1/session"

# Sanitizer builds start slowly; nothing here waits this long when things go well.
START_SECONDS = 60


def msgpack(value):
    """MessagePack of a JSON-like value (maps, lists, texts, integers, booleans, None)."""
    if value is None:
        return b"\xc0"
    if value is True or value is False:
        return b"\xc3" if value else b"\xc2"
    if isinstance(value, int):
        if 0 <= value < 128:
            return bytes([value])
        if 0 <= value < 2**32:
            return b"\xce" + value.to_bytes(4, "big")
        return b"\xd3" + value.to_bytes(8, "big", signed=True)
    if isinstance(value, str):
        data = value.encode()
        head = bytes([0xA0 | len(data)]) if len(data) < 32 else b"\xd9" + bytes([len(data)])
        return head + data
    if isinstance(value, list):
        return bytes([0x90 | len(value)]) + b"".join(msgpack(v) for v in value)
    if isinstance(value, dict):
        return bytes([0x80 | len(value)]) + b"".join(msgpack(k) + msgpack(v) for k, v in value.items())
    raise TypeError(type(value))


class Served:
    def __init__(self, mox_host, *args):
        self.folder = tempfile.mkdtemp(prefix="mox-serve-")
        self.lockfile = os.path.join(self.folder, "lock")
        self.process = subprocess.Popen(
            [mox_host, "serve", *args, "--port", "0", "--lockfile", self.lockfile],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        deadline = time.time() + START_SECONDS
        while not os.path.exists(self.lockfile):
            if self.process.poll() is not None:
                raise AssertionError("serve ended before listening: " + self.process.stderr.read())
            if time.time() > deadline:
                self.process.kill()
                raise AssertionError("serve wrote no lockfile")
            time.sleep(0.05)
        with open(self.lockfile) as file:
            self.lock = dict(line.split("=", 1) for line in file.read().splitlines())
        self.port = int(self.lock["port"])
        self.secret = self.lock["secret"]
        self.address = self.lock["url"].split("//")[1].rsplit(":", 1)[0]

    def bearer(self):
        return {"Authorization": "Bearer " + self.secret}

    def basic(self, user="mox", password=None):
        pair = f"{user}:{self.secret if password is None else password}".encode()
        return {"Authorization": "Basic " + base64.b64encode(pair).decode()}

    def request(self, method, path, body=None, content_type=None, headers=None):
        """(status, headers, body bytes); authenticated by bearer token unless headers are given."""
        connection = http.client.HTTPConnection(self.address, self.port, timeout=30)
        sent = dict(self.bearer() if headers is None else headers)
        if isinstance(body, (dict, list)):
            body = json.dumps(body)
            content_type = content_type or "application/json"
        if content_type:
            sent["Content-Type"] = content_type
        if body is None and method in ("POST", "PUT", "PATCH"):
            body = b""
        try:
            connection.request(method, path, body=body, headers=sent)
            response = connection.getresponse()
            return response.status, dict(response.getheaders()), response.read()
        finally:
            connection.close()

    def json(self, method, path, body=None, expect=200, **kwargs):
        status, _, data = self.request(method, path, body, **kwargs)
        assert status == expect, f"{method} {path}: {status} {data[:300]!r}, expected {expect}"
        return json.loads(data) if data else None

    def transcript(self):
        return [json.loads(line) for line in self.json_text("/host/v1/transcript").splitlines()]

    def json_text(self, path):
        status, _, data = self.request("GET", path)
        assert status == 200, (path, status)
        return data.decode()

    def events(self):
        return EventReader(self)

    def stop(self, how="http"):
        """Stops the server; returns its exit status once it has ended."""
        if how == "http":
            status, _, _ = self.request("POST", "/host/v1/shutdown")
            assert status == 202, status
        else:
            self.process.send_signal(how)
        try:
            self.process.wait(timeout=START_SECONDS)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise AssertionError("serve did not stop")
        self.stderr = self.process.stderr.read()
        self.stdout = self.process.stdout.read()
        self.process.stderr.close()
        self.process.stdout.close()
        return self.process.returncode


class EventReader:
    """Follows GET /host/v1/events on a thread; `expect` waits for a matching message."""

    def __init__(self, served):
        self.messages = queue.Queue()
        self.ended = threading.Event()
        self.connection = http.client.HTTPConnection("127.0.0.1", served.port, timeout=60)
        self.connection.request("GET", "/host/v1/events", headers=served.bearer())
        self.response = self.connection.getresponse()
        assert self.response.status == 200, self.response.status
        assert self.response.getheader("Content-Type").startswith("text/event-stream")
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()

    def _read(self):
        data = []
        try:
            for raw in self.response:
                line = raw.decode().rstrip("\r\n")
                if line.startswith("data: "):
                    data.append(line[6:])
                elif not line and data:
                    self.messages.put(json.loads("\n".join(data)))
                    data = []
        except (OSError, ValueError, http.client.HTTPException):
            pass
        self.ended.set()

    def expect(self, predicate, what, seconds=20):
        deadline = time.time() + seconds
        while True:
            try:
                message = self.messages.get(timeout=max(0.01, deadline - time.time()))
            except queue.Empty:
                raise AssertionError("no event: " + what)
            if predicate(message):
                return message


def resource_event(uri, event_type):
    return lambda m: (m["name"] == "OnJsonApiEvent" and m["payload"]["uri"] == uri
                      and m["payload"]["eventType"] == event_type)


def player(user, name, champion, team, won, kills):
    return {"userId": user, "summonerName": name, "skinName": champion, "teamId": team, "level": 12,
            "statistics": [{"statTypeName": "WIN" if won else "LOSE", "value": 1},
                           {"statTypeName": "KILLS", "value": kills},
                           {"statTypeName": "ITEM0", "value": 3031}]}


END_OF_GAME_STATS = {
    "gameId": 1234, "gameMode": "CLASSIC", "queueType": "RANKED_SOLO_5x5", "ranked": True, "gameMutators": [],
    "gameLength": 1834, "myTeamInfo": {"name": "Lantern Wardens"}, "otherTeamInfo": {"name": "Moss Hollow"},
    "teamPlayerParticipantStats": [player(42, "Quillfeather", "Aurel", 100, True, 9),
                                   player(43, "苔の背", "Brisa", 100, True, 3)],
    "otherTeamPlayerParticipantStats": [player(77, "Gravelwit", "Corvin", 200, False, 5),
                                        player(78, "Thistledown", "Dunmere", 200, False, 1)],
}


def play_match(served):
    """Plays a game to its statistics over HTTP; returns once the block is published."""
    events = served.events()
    served.json("PUT", SESSION, {"phase": "InProgress", "gameClient": {"running": True}, "gameData": {"gameId": 1234}})
    served.json("POST", "/host/v1/lcds/com.zarngames.platform.game.GameDTO", {"id": 1234, "gameState": "TERMINATED"},
                expect=204)
    served.json("POST", "/host/v1/lcds/com.zarngames.platform.statistics.EndOfGameStats", END_OF_GAME_STATS,
                expect=204)
    served.json("PATCH", SESSION, {"phase": "EndOfGame", "gameClient": {"running": False}})
    events.expect(resource_event(STATS, "Create"), "the statistics block published")
    return events
