#!/usr/bin/python3
"""A real third-party v2 client (Debian's python3-tweepy) pages through the emulator's v2 endpoints.

Usage: tweepy_client_test.py PATH/TO/marlin-emulator
"""
import contextlib
import subprocess
import sys
import time

import requests
import tweepy

SERVICE_HOST = "https://api.twitter.com"
POST_FIELDS = ["created_at", "author_id", "lang", "public_metrics", "entities", "geo", "referenced_tweets",
               "in_reply_to_user_id", "note_tweet"]
EXPANSIONS = ["author_id", "referenced_tweets.id", "referenced_tweets.id.author_id", "geo.place_id"]
USER_FIELDS = ["created_at", "description", "entities", "location", "profile_image_url", "protected",
               "public_metrics", "url", "verified"]
PLACE_FIELDS = ["full_name", "geo", "country_code"]
KEY = "mDemoConsumerKey0000000000"
SECRET = "mDemoConsumerSecret000000000000000000000000000000"


def client_for(base_url, token):
    client = tweepy.Client(bearer_token=token)
    send = client.session.request

    # tweepy writes the service's host into every address; the emulator stands in for it.
    def to_emulator(method, url, *args, **kwargs):
        return send(method, url.replace(SERVICE_HOST, base_url, 1), *args, **kwargs)

    client.session.request = to_emulator
    return client


@contextlib.contextmanager
def emulator_client(program, *options):
    """The emulator started with the options, and a tweepy Client of its demo application."""
    emulator = subprocess.Popen([program, *options], stdout=subprocess.PIPE, text=True)
    try:
        base_url = "http://127.0.0.1:" + emulator.stdout.readline().strip()
        token = requests.post(base_url + "/oauth2/token", params={"grant_type": "client_credentials"},
                              auth=(KEY, SECRET)).json()["access_token"]
        yield client_for(base_url, token)
    finally:
        emulator.terminate()
        emulator.wait()


def check_pages(name, pages, expanded=False, pause=0.0):
    seen = set()
    count = 0
    for page in pages:
        count += 1
        assert page.data is not None, f"{name}: page {count} holds no data"
        authors = {user.id for user in page.includes.get("users", [])} if expanded else set()
        for item in page.data:
            assert item.id not in seen, f"{name}: id {item.id} came twice"
            seen.add(item.id)
            if expanded:
                assert item.author_id in authors, f"{name}: author {item.author_id} is not in includes"
                assert item.created_at is not None and item.lang, f"{name}: asked fields are missing"
        if expanded:
            for post in page.includes.get("tweets", []):
                assert post.author_id in authors, f"{name}: referenced post's author is not in includes"
        time.sleep(pause)
    assert count > 0 and seen, f"{name}: nothing came"
    print(f"{name}: {count} pages, {len(seen)} ids")
    return seen


def main():
    with emulator_client(sys.argv[1], "--users", "600", "--tweets-per-day", "3000", "--seed", "11",
                         "--archive-pace", "250") as client:
        search = dict(query="data", max_results=100, tweet_fields=POST_FIELDS, expansions=EXPANSIONS,
                      user_fields=USER_FIELDS, place_fields=PLACE_FIELDS)
        recent = check_pages("search_recent_tweets",
                             tweepy.Paginator(client.search_recent_tweets, **search), expanded=True)
        # Full-archive search allows one request a pace (a quarter of a second here).
        archive = check_pages("search_all_tweets", tweepy.Paginator(client.search_all_tweets, **search),
                              expanded=True, pause=0.3)
        assert recent <= archive, "the archive lacks posts that recent search found"

        demo = client.get_users(usernames=["city_library", "no_such_account_here"], user_fields=USER_FIELDS)
        assert [user.username for user in demo.data] == ["city_library"], demo
        assert demo.errors and demo.errors[0]["title"] == "Not Found Error", demo.errors
        demo_id = demo.data[0].id
        check_pages("get_users_tweets",
                    tweepy.Paginator(client.get_users_tweets, demo_id, max_results=100,
                                     tweet_fields=POST_FIELDS, expansions=EXPANSIONS, user_fields=USER_FIELDS),
                    expanded=True)
        followers = check_pages("get_users_followers",
                                tweepy.Paginator(client.get_users_followers, demo_id, max_results=100,
                                                 user_fields=USER_FIELDS))
        assert len(followers) == demo.data[0].public_metrics["followers_count"], "follower pages lose users"

        counts = client.get_recent_tweets_count("data", granularity="day")
        total = sum(day["tweet_count"] for day in counts.data)
        assert total == counts.meta["total_tweet_count"] == len(recent), (total, counts.meta, len(recent))
        print(f"get_recent_tweets_count: {len(counts.data)} days, {total} posts")


if __name__ == "__main__":
    main()
