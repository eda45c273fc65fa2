#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

The JSON seeds are the recorded service responses cut down to a few records (the fuzzer
grows and splices them; whole pages would only slow every run), written compact with
\\uXXXX escapes and escaped slashes as the service writes them. The rest are small
hand-made files. Run from anywhere: python3 fuzz/make_seeds.py

The emu_* seeds are pages the service emulator (tools/emulator) served: a search page, a
timeline, a users/lookup answer and a followers/list page, each with its first byte set as
above. They are kept as captured; this script leaves them alone.
"""
import json
import pathlib

ROOT = pathlib.Path(__file__).resolve().parent.parent
FIXTURES = ROOT / "tests" / "fixtures" / "twitter-v1.1"
CORPUS = ROOT / "fuzz" / "corpus"

SEARCH, TIMELINE = b"\x01", b"\x00"  # the first byte: IgnoreTopLevel


def service_json(value):
    return json.dumps(value, separators=(",", ":"), ensure_ascii=True).replace("/", "\\/").encode()


def fixture(name):
    return json.loads((FIXTURES / name).read_text(encoding="utf-8"))


def cut(value, key, keep):
    value = dict(value)
    value[key] = value[key][:keep]
    return value


def write(target, name, data):
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


def json_seeds():
    search = [
        ("search", service_json(cut(fixture("search_tweets_page.json"), "statuses", 2))),
        ("search_2014", service_json(cut(fixture("search_tweets_page_2014.json"), "statuses", 2))),
        ("search_geo", service_json(cut(fixture("search_tweets_geocode_extended.json"), "statuses", 1))),
        ("search_empty", (FIXTURES / "search_tweets_last_page_empty.json").read_bytes()),
    ]
    timeline = [
        ("timeline", service_json(fixture("user_timeline_page.json")[:2])),
        ("timeline_extended", service_json(fixture("user_timeline_extended_page.json")[:1])),
        ("timeline_geo", service_json(fixture("home_timeline_page_geo_2012.json")[:2])),
    ]
    users = [
        ("lookup", TIMELINE + service_json(fixture("users_lookup.json")[:2])),
        ("followers", SEARCH + service_json(cut(fixture("followers_list_page_small.json"), "users", 2))),
        ("friends_last", SEARCH + service_json(cut(fixture("friends_list_last_page.json"), "users", 1))),
    ]
    others = [
        ("token", TIMELINE + (FIXTURES / "oauth2_token.json").read_bytes()),
        ("error", TIMELINE + (FIXTURES / "error_rate_limited.json").read_bytes()),
        ("ids", SEARCH + service_json(cut(fixture("followers_ids_page.json"), "ids", 5))),
        ("nested", TIMELINE + b'{"a":{"b":1},"c":[{"d":2},{"e":3}]}'),
        ("strings", TIMELINE + b'{"text":"say \\"hi\\" {not} an \\\\ object","id":5,"x":{"id_str":"7"}}'),
    ]
    for name, data in search:
        write("json_reader", name, SEARCH + data)
        write("tweet_set", name, SEARCH + data)
    for name, data in timeline:
        write("json_reader", name, TIMELINE + data)
        write("tweet_set", name, TIMELINE + data)
    for name, data in users:
        write("json_reader", name, data)
        write("user_set", name, data)
    for name, data in others:
        write("json_reader", name, data)


def text_seeds():
    dates = [b"Wed Aug 27 13:08:45 +0000 2008", b"Wed Aug 27 13:08:45 0000 2008", b"27-Aug-2008 13:08:45",
             b"27/08/2008 13:08:45", b"Tue Jan 01 00:00:00 +0000 2030", b"01/02/30 1:02 PM",
             b"2008-08-27", b"12:00", b"31.12.99 23:59:59", b"29 Feb 2000"]
    for k, text in enumerate(dates):
        write("date_texts", "date%d" % k, bytes([k]) + text)

    escapes = [b"Caf\\u00e9 \\u2026 \\u2764 \\u0627", b"AT&amp;T a\\nb \\/", b"\\ud83d\\ude00 \\u27c0\\u0000",
               b"\\\\u0075u0075 \\u201cquoted\\u201d", b"say \\hi\\ \\u00"]
    for k, text in enumerate(escapes):
        write("replace_escapes", "text%d" % k, text)

    base64 = [b"YWJj", b"YWI=", b"YQ==", b"YW\r\nJj", b"TXlBcHANCmtleQ0Kc2VjcmV0", b"YWJ", b"=\r\n=="]
    for k, text in enumerate(base64):
        write("base64", "b64_%d" % k, text)

    appcred = [b"TXlBcHANCmtleQ0Kc2VjcmV0\r\n", b"MyApp\r\nkey\r\nsecret\r\n", b"MyApp\r\nkey\r\n",
               b"not base64\r\n", b"", b"TXlBcHAN\r\n\r\n\r\n\r\n"]
    for k, text in enumerate(appcred):
        write("appcred", "appcred%d" % k, text)

    header = b"DateTime\tScreenName\tText\tTweetID\tRealName\tFollowers\tFollowing\tLocation\tUTC_Offset\t" \
             b"GeoCoords\tUserTweets\tRetweeted\tLinkURL\tSent+\tSent-\tDescription\t"
    row = b"Wed Aug 27 13:08:45 0000 2008\tsomeone\tCaf\xe9 \x93quoted\x94\t250000000000000000\tSome One\t" \
          b"   12\t    3\tLondon\t0\tnull\t   40\t0\thttp://example.com\t2\t-1\tA \x80 sign\t"
    write("marlin_data_load", "crlf", header + b"\r\n" + row + b"\r\n" + row + b"\r\n")
    write("marlin_data_load", "lf", header + b"\n" + row + b"\n")
    write("marlin_data_load", "short_line", header + b"\r\nonly\tthree\tfields\r\n")
    write("marlin_data_load", "cr_only", row + b"\r" + row + b"\r")

    prefs = [
        b"QP-marlin AND twitter,C:\\data\\marlin.txt\r\nQP-cats,\r\nUP-C:\\data\\timelines.txt\r\nLA-en\r\n"
        b"HW-1440,1440,2880,1440,1440,720,720,1440,720,1440,720,720,1440,720,720,2880\r\n",
        b"HW-1,2,3\nLA-fr\nQP-no comma\nUP-\nXX-ignored\n",
        b"QP-caf\xe9,d\xe9j\xe0.txt,extra\rHW-1e3,2.5,-1,x,,,,,,,,,,,,,\r",
    ]
    for k, text in enumerate(prefs):
        write("prefs", "prefs%d" % k, text)


def user_file_seeds():
    keys, table = b"\x01", b"\x00"  # the first byte: which Open command reads the file
    row = [b"12345", b"someone", b"Some One", b"Caf\xe9 owner", b"Wed Aug 27 13:08:45 0000 2008"]
    row += [b"%5d" % k for k in range(32)]
    write("user_table_files", "mut", table + b"\t".join(row) + b"\r\n" + b"\t".join(row[:5]) + b"\r\n")
    write("user_table_files", "muk_ids", keys + b"12345\tsomeone\r\n67890\tother\r\n\r\n")
    write("user_table_files", "muk_names", keys + b"\tsomeone\r\n\tother\r\nx\r\n")
    write("user_table_files", "profiler_short", table + b"12345\tsomeone\tfemale\t25-34\t0.9\r\n")
    wide = [b"12345", b"someone"] + [b"f%d" % k for k in range(2, 25)]
    write("user_table_files", "profiler_wide", table + b"\t".join(wide) + b"\n")


if __name__ == "__main__":
    json_seeds()
    text_seeds()
    user_file_seeds()
