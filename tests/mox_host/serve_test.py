"""End to end through `mox-host serve`: a whole match driven over HTTP only, the event stream,
the refusals, and the ways the server stops. Usage: serve_test.py MOX_HOST [LOAD_PROGRAM]"""
import json
import os
import signal
import socket
import stat
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from serve_fixture import SESSION, STATS, Served, msgpack, play_match, resource_event  # noqa: E402

MOX_HOST = None
LOAD = None


class MatchOverHttp(unittest.TestCase):
    def test_whole_match(self):
        served = Served(MOX_HOST)
        try:
            lock_mode = stat.S_IMODE(os.stat(served.lockfile).st_mode)
            self.assertEqual(lock_mode, 0o600)
            self.assertEqual(served.lock["user"], "mox")
            self.assertEqual(len(served.secret), 64)
            self.assertEqual(served.lock["url"], f"http://127.0.0.1:{served.port}/")

            # The client's peers answer as the default scenario set them up.
            self.assertEqual(served.json("GET", "/mox-login/v1/session")["summonerId"], 42)
            served.json("GET", STATS, expect=404)

            events = play_match(served)
            stats = served.json("GET", STATS)
            self.assertEqual(stats["gameId"], 1234)
            self.assertEqual([t["isWinningTeam"] for t in stats["teams"]], [True, False])
            self.assertEqual([p["summonerName"] for p in stats["teams"][0]["players"]], ["Quillfeather", "苔の背"])

            # A report sent as MessagePack.
            complaint = {"gameId": 1234, "reportedSummonerId": 77, "offenses": "SPAM", "comment": ""}
            self.assertEqual(served.json("POST", "/mox-end-of-game/v2/player-complaints", msgpack(complaint),
                                         content_type="application/x-msgpack"), complaint)
            events.expect(lambda m: m["name"] == "OnJsonApiEvent" and m["payload"]["data"] == [77],
                          "the reported players published")
            self.assertEqual(served.json("GET", "/mox-end-of-game/v1/reported-players"), [77])

            # A platform message updates the published block.
            served.json("POST", "/host/v1/service-proxy/OnServiceProxyAsyncEvent",
                        {"serviceName": "teambuilder-draft", "methodName": "gameloopPlayerInfoV1",
                         "payload": json.dumps({"rerollDataBag": {"totalPoints": 250}})}, expect=204)
            update = events.expect(resource_event(STATS, "Update"), "the block updated")
            self.assertEqual(update["payload"]["data"]["rerollData"]["totalPoints"], 250)

            # A short load on the statistics block, with the plugin's memory the same after.
            if LOAD:
                result = subprocess.run([LOAD, "--lockfile", served.lockfile, "--requests", "2000", "--clients", "8",
                                         "--path", STATS],
                                        capture_output=True, text=True, timeout=120)
                self.assertEqual(result.returncode, 0, result.stdout + result.stderr)

            served.json("POST", "/mox-end-of-game/v1/state/dismiss-stats", expect=204)
            events.expect(resource_event(STATS, "Delete"), "the block deleted")
            self.assertEqual(served.json("GET", STATS, expect=404),
                             {"status": 404, "message": "No end of game stats available."})

            transcript = served.transcript()
            self.assertTrue(any(r["kind"] == "request" and "GAMEFLOW_EVENT.STATS_DISMISSED" in r["body"]
                                for r in transcript))
            self.assertTrue(any(r["kind"] == "call" and r["path"] == STATS for r in transcript))

            # A merge patch's null removes a key; peer resources go away too; what is neither a
            # function nor a resource is 404.
            self.assertEqual(served.json("PATCH", SESSION, {"gameData": None, "phase": "Lobby"}),
                             {"gameClient": {"running": False}, "phase": "Lobby"})
            served.json("DELETE", SESSION, expect=204)
            served.json("GET", SESSION, expect=404)
            served.json("GET", "/mox-nothing/v1/here", expect=404)
            served.json("DELETE", STATS, expect=405)
            served.json("POST", "/host/v1/unknown", expect=404)

            memory = served.json("GET", "/host/v1/memory")
            self.assertGreater(memory["bytesInUse"], 0)

            self.assertEqual(served.stop(), 0, served.stderr)
            events.ended.wait(10)
            self.assertTrue(events.ended.is_set(), "the event stream ends with the server")
            self.assertFalse(os.path.exists(served.lockfile))
        finally:
            if served.process.poll() is None:
                served.process.kill()


class Refusals(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.served = Served(MOX_HOST)
        cls.served.json("PUT", SESSION, {"phase": "Lobby"})

    @classmethod
    def tearDownClass(cls):
        assert cls.served.stop() == 0, cls.served.stderr

    def test_refused_requests_change_nothing(self):
        served = self.served
        wrong = "0" * 64
        complaints = "/mox-end-of-game/v2/player-complaints"
        too_big = b"[" + b"1," * (1024 * 1024 // 2) + b"1]"
        cases = [
            # (what, method, path, body, content type, headers, status, text in the answer)
            ("no secret", "PUT", SESSION, {"phase": "X"}, None, {}, 401, "Authentication required"),
            ("wrong bearer", "PUT", SESSION, {"phase": "X"}, None, {"Authorization": "Bearer " + wrong}, 401, ""),
            ("secret's prefix", "PUT", SESSION, {"phase": "X"}, None,
             {"Authorization": "Bearer " + served.secret[:32]}, 401, ""),
            ("wrong password", "PUT", SESSION, {"phase": "X"}, None, served.basic(password=wrong), 401, ""),
            ("wrong user", "PUT", SESSION, {"phase": "X"}, None, served.basic(user="admin"), 401, ""),
            ("wrong cookie", "GET", "/", None, None, {"Cookie": "a=1; mox-host-token=" + wrong}, 401, ""),
            ("the secret in another cookie", "GET", "/", None, None,
             {"Cookie": "xmox-host-token=" + served.secret}, 401, ""),
            ("wrong sign-in token", "GET", "/?token=" + wrong, None, None, {}, 401, ""),
            ("oversized", "PUT", SESSION, too_big, "application/json", None, 413, ""),
            ("malformed peer body", "PUT", SESSION, b"{\"phase\":", "application/json", None, 400, "offset"),
            ("peer body of no known type", "PUT", SESSION, b"phase=X", "application/x-www-form-urlencoded",
             None, 415, "Unsupported"),
            ("malformed LCDS body", "POST", "/host/v1/lcds/com.zarngames.platform.game.GameDTO", b"id: [1",
             "application/x-yaml", None, 400, "YAML"),
            ("malformed complaint", "POST", complaints, b"{\"gameId\":", "application/json", None, 400,
             "Couldn't deserialize JSON value for parameter 'complaint'"),
            ("MessagePack with bytes after it", "POST", complaints, msgpack({"gameId": 1}) + b"\x01",
             "application/x-msgpack", None, 400, "Extra MessgePack data found in body"),
            # A form's fields are no query arguments: the body goes to the plugin as sent.
            ("complaint as a form", "POST", complaints, b"gameId=1", "application/x-www-form-urlencoded", None,
             400, "Unsupported body content type"),
            ("undeclared query argument", "GET", "/mox-end-of-game/v1/reported-players?limit=3", None, None, None,
             400, "Unknown argument 'limit'"),
        ]
        for what, method, path, body, content_type, headers, status, text in cases:
            with self.subTest(what):
                before = len(served.transcript())
                got, _, data = served.request(method, path, body, content_type, headers)
                self.assertEqual(got, status, data[:200])
                self.assertIn(text, data.decode(errors="replace"))
                self.assertNotIn(served.secret, data.decode(errors="replace"))
                # A refused request may at most be a failed call of the plugin: nothing is
                # delivered, published or requested.
                happened = served.transcript()[before:]
                if status in (401, 413):
                    self.assertEqual(happened, [])
                self.assertEqual([r for r in happened if r["kind"] != "call"], [])
        self.assertEqual(served.json("GET", SESSION), {"phase": "Lobby"})

    def test_right_credentials_each_way(self):
        served = self.served
        for what, headers in [("bearer", served.bearer()), ("basic", served.basic()),
                              ("bearer, scheme in lower case", {"Authorization": "bearer " + served.secret}),
                              ("cookie among others", {"Cookie": "a=1; mox-host-token=" + served.secret + "; b=2"})]:
            with self.subTest(what):
                self.assertEqual(served.request("GET", SESSION, headers=headers)[0], 200)

    def test_page_sign_in_sets_a_cookie(self):
        served = self.served
        status, headers, _ = served.request("GET", "/?token=" + served.secret, headers={})
        self.assertEqual(status, 303)
        self.assertEqual(headers["Location"], "/")
        cookie = headers["Set-Cookie"]
        self.assertIn("HttpOnly", cookie)
        self.assertIn("SameSite=Strict", cookie)
        status, headers, page = served.request("GET", "/", headers={"Cookie": cookie.split(";")[0]})
        self.assertEqual(status, 200)
        self.assertTrue(headers["Content-Type"].startswith("text/html"))
        self.assertIn(b"/host/v1/events", page)

    def test_listens_on_its_address_only(self):
        # Bound to 127.0.0.1 alone: another address of the machine (here another loopback one,
        # the only kind a test may reach) finds no server.
        with self.assertRaises(ConnectionRefusedError):
            socket.create_connection(("127.0.0.2", self.served.port), timeout=5).close()


class Stopping(unittest.TestCase):
    def test_signals_stop_cleanly(self):
        for signal_number in (signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal.Signals(signal_number).name):
                served = Served(MOX_HOST)
                self.assertEqual(served.stop(signal_number), 0, served.stderr)
                self.assertFalse(os.path.exists(served.lockfile))
                self.assertIn("stopped", served.stdout)

    def test_listen_address(self):
        served = Served(MOX_HOST, "--listen", "127.0.0.2")
        self.assertEqual(served.stop(), 0)
        self.assertNotIn("warning", served.stderr)
        result = subprocess.run([MOX_HOST, "serve", "--listen", "not-an-address", "--lockfile", "/nonexistent/lock"],
                                capture_output=True, text=True, timeout=60)
        self.assertEqual(result.returncode, 2)
        self.assertIn("--listen needs an IP address", result.stderr)


if __name__ == "__main__":
    MOX_HOST = sys.argv[1]
    LOAD = sys.argv[2] if len(sys.argv) > 2 else None
    unittest.main(argv=sys.argv[:1], verbosity=2)
