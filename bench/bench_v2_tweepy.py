#!/usr/bin/python3
"""Debian's python3-tweepy pages a v2 search of the emulator with the expansions and fields the
command line asks for, and prints: pages, posts, processor seconds of the paging.

Usage: bench_v2_tweepy.py BASE_URL QUERY
"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "emulator"))
sys.dont_write_bytecode = True

import requests  # noqa: E402
import tweepy  # noqa: E402
from tweepy_client_test import (EXPANSIONS, KEY, PLACE_FIELDS, POST_FIELDS, SECRET, USER_FIELDS,  # noqa: E402
                                client_for)


def main():
    base_url, query = sys.argv[1], sys.argv[2]
    token = requests.post(base_url + "/oauth2/token", params={"grant_type": "client_credentials"},
                          auth=(KEY, SECRET)).json()["access_token"]
    client = client_for(base_url, token)
    start = time.process_time()
    pages = posts = 0
    for page in tweepy.Paginator(client.search_recent_tweets, query=query, max_results=100,
                                 tweet_fields=POST_FIELDS, expansions=EXPANSIONS, user_fields=USER_FIELDS,
                                 place_fields=PLACE_FIELDS):
        pages += 1
        posts += len(page.data or [])
    print(pages, posts, time.process_time() - start)


if __name__ == "__main__":
    main()
