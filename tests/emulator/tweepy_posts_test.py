#!/usr/bin/python3
"""A real third-party v2 client (Debian's python3-tweepy) asks the emulator for posts by id, quotes, reposters,
liking users, list members and a conversation, and checks each answer against the same corpus as the
emulator's search and user endpoints show it.

Usage: tweepy_posts_test.py PATH/TO/marlin-emulator
"""
import collections
import sys

import tweepy

from tweepy_client_test import EXPANSIONS, POST_FIELDS, USER_FIELDS, check_pages, emulator_client

DEMO_LIST = 1500000000000000000  # the demo account's first list


def referenced(post, kind):
    return next((ref.id for ref in post.referenced_tweets or [] if ref.type == kind), None)


def paged_ids(name, method, *args, **params):
    return check_pages(name, tweepy.Paginator(method, *args, **params))


def main():
    with emulator_client(sys.argv[1], "--users", "600", "--tweets-per-day", "3000", "--seed", "11") as client:
        fields = dict(tweet_fields=POST_FIELDS + ["conversation_id"], expansions=EXPANSIONS,
                      user_fields=USER_FIELDS)
        posts = [post for page in tweepy.Paginator(client.search_recent_tweets, "data", max_results=100,
                                                   **fields)
                 for post in page.data]

        # get_tweets: every id asked is either given as search gave it or named in errors with a reason.
        asked = [post.id for post in posts[:98]] + [1, 2]
        answer = client.get_tweets(asked, **fields)
        given = {post.id: post for post in answer.data}
        missing = {int(error["value"]): error["title"] for error in answer.errors if error["parameter"] == "ids"}
        assert set(given) | set(missing) == set(asked) and not set(given) & set(missing), (given, missing)
        assert missing[1] == missing[2] == "Not Found Error", missing
        assert set(missing.values()) <= {"Not Found Error", "Authorization Error"}, missing
        for post in posts[:98]:
            assert post.id in missing or given[post.id].text == post.text, post.id
        print(f"get_tweets: {len(given)} given, {len(missing)} missing")

        # get_quote_tweets and get_retweeters on the posts search found quoted and reposted most: the quotes
        # and reposts search found that can still be seen are among them, every quote refers to the post, and
        # a reposter's timeline holds the repost.
        def most(kind):
            counts = collections.Counter(referenced(post, kind) for post in posts if referenced(post, kind))
            target = next(id for id, _ in counts.most_common() if client.get_tweets([id]).data)
            found = [post.id for post in posts if referenced(post, kind) == target]
            return target, client.get_tweets(found, tweet_fields=["author_id"]).data

        quoted, quotes_found = most("quoted")
        quotes = paged_ids("get_quote_tweets", client.get_quote_tweets, quoted, max_results=10)
        assert {post.id for post in quotes_found} <= quotes, (quotes_found, quotes)
        for post in client.get_tweets(list(quotes), tweet_fields=["referenced_tweets"]).data:
            assert referenced(post, "quoted") == quoted, post
        reposted, reposts_found = most("retweeted")
        reposters = paged_ids("get_retweeters", client.get_retweeters, reposted, max_results=2)
        assert {post.author_id for post in reposts_found} <= reposters, (reposts_found, reposters)
        other = next(iter(reposters - {post.author_id for post in reposts_found}), None)
        if other:
            timeline = [post for page in tweepy.Paginator(client.get_users_tweets, other, max_results=100,
                                                          tweet_fields=["referenced_tweets"])
                        for post in page.data or []]
            assert any(referenced(post, "retweeted") == reposted for post in timeline), other

        # get_liking_users: distinct users, never the author, as many as the post's likes (suspended
        # accounts left out).
        liked = next(post for post in posts if 120 < post.public_metrics["like_count"] < 400
                     and not referenced(post, "retweeted"))
        likers = paged_ids("get_liking_users", client.get_liking_users, liked.id, max_results=100)
        likes = liked.public_metrics["like_count"]
        assert liked.author_id not in likers and likes * 0.9 <= len(likers) <= likes, (likes, len(likers))

        # get_list_members: a list keeps accounts its owner follows.
        demo = client.get_user(username="demo_researcher").data
        members = paged_ids("get_list_members", client.get_list_members, DEMO_LIST, max_results=20)
        following = paged_ids("get_users_following", client.get_users_following, demo.id, max_results=1000)
        assert members and members <= following, members - following

        # A conversation of several replies: every reply found shares the conversation id, and the replies
        # search found with it are among them.
        def conversation(root):
            pages = tweepy.Paginator(client.search_recent_tweets, f"conversation_id:{root}", max_results=10,
                                     tweet_fields=["conversation_id"])
            found = [post for page in pages for post in page.data or []]
            assert all(post.conversation_id == root for post in found), root
            return {post.id for post in found}

        roots = sorted({post.conversation_id for post in posts if referenced(post, "replied_to")})
        root = next(root for root in roots if len(conversation(root)) >= 3)
        thread = conversation(root)
        assert {post.id for post in posts if post.conversation_id == root} <= thread, thread
        print(f"conversation: {len(thread)} replies")

if __name__ == "__main__":
    main()
