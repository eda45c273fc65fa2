#!/usr/bin/env node
// The protocol's own TypeScript client (@atproto/api, installed by scripts/install-deps.sh) runs
// against the emulator's second service: log in, search with paging, an author feed, followers,
// profiles and a session that expires on the way. It checks the shapes the client validates, that
// paging ends, and that nothing comes twice.
//
// Usage: atproto_client_test.js PATH/TO/marlin-emulator
'use strict';
const { spawn } = require('node:child_process');
const path = require('node:path');
const assert = require('node:assert/strict');

let AtpAgent;
try {
  ({ AtpAgent } = require(path.join(__dirname, 'atproto_client', 'node_modules', '@atproto', 'api')));
} catch (error) {
  console.error('@atproto/api is not installed: run scripts/install-deps.sh (' + error.message + ')');
  process.exit(1);
}

const SEARCH_CAP = 250;
const SESSION_LIFE = 2;

function startEmulator(program) {
  const child = spawn(program, ['--users', '600', '--tweets-per-day', '3000', '--seed', '11',
    '--bsky-search-cap', String(SEARCH_CAP), '--bsky-session-life', String(SESSION_LIFE)]);
  return new Promise((resolve, reject) => {
    let out = '';
    child.stdout.on('data', (chunk) => {
      out += chunk;
      if (!/^bluesky app password: .*$/m.test(out)) return;
      const field = (name) => out.match(new RegExp('^' + name + ': (.*)$', 'm'))[1];
      resolve({ child, base: field('base url'), handle: field('bluesky handle'),
        password: field('bluesky app password') });
    });
    child.on('exit', (code) => reject(new Error('the emulator ended with ' + code)));
  });
}

// Every page of a cursored call; `items` picks the page's list, `key` names an item.
async function allPages(name, call, items, key) {
  const seen = new Set();
  let cursor;
  let pages = 0;
  do {
    const res = await call(cursor);
    assert.equal(res.success, true, name + ': a page failed');
    assert.ok(res.headers['ratelimit-remaining'] !== undefined, name + ': no ratelimit-remaining header');
    for (const item of items(res.data)) {
      assert.ok(!seen.has(key(item)), name + ': ' + key(item) + ' came twice');
      seen.add(key(item));
    }
    assert.notEqual(res.data.cursor, cursor, name + ': the cursor did not move');
    cursor = res.data.cursor;
    assert.ok(++pages < 200, name + ': paging does not end');
  } while (cursor);
  console.log(name + ': ' + pages + ' pages, ' + seen.size + ' items');
  return seen;
}

async function main() {
  const emulator = await startEmulator(process.argv[2]);
  try {
    const refused = new AtpAgent({ service: emulator.base });
    await assert.rejects(refused.login({ identifier: emulator.handle, password: 'wrong' }),
      (error) => error.status === 401, 'a wrong app password is refused');

    const agent = new AtpAgent({ service: emulator.base });
    await agent.login({ identifier: emulator.handle, password: emulator.password });
    assert.match(agent.session.did, /^did:plc:[a-z2-7]{24}$/);

    // Search: newest first, every post a valid view, and the cap ends the cursor.
    let previous = Infinity;
    const found = await allPages('searchPosts', (cursor) =>
      agent.app.bsky.feed.searchPosts({ q: 'data', sort: 'latest', limit: 100, cursor }),
    (page) => page.posts.map((post) => {
      const sortAt = Math.min(Date.parse(post.indexedAt), Date.parse(post.record.createdAt) || Infinity);
      assert.ok(sortAt <= previous, 'searchPosts: ' + post.uri + ' is out of order');
      previous = sortAt;
      assert.match(post.uri, /^at:\/\/did:plc:[a-z2-7]+\/app\.bsky\.feed\.post\/[2-7a-z]{13}$/);
      assert.equal(typeof post.record.text, 'string');
      return post;
    }), (post) => post.uri);
    assert.equal(found.size, SEARCH_CAP, 'searchPosts: the cap of one query');
    await assert.rejects(agent.app.bsky.feed.searchPosts({ q: 'data', limit: 101 }));

    // The author feed: the demo account's posts and reposts.
    let reposts = 0;
    await allPages('getAuthorFeed', (cursor) =>
      agent.app.bsky.feed.getAuthorFeed({ actor: emulator.handle, limit: 100, cursor }),
    (page) => page.feed, (item) => {
      if (item.reason) {
        assert.equal(item.reason.$type, 'app.bsky.feed.defs#reasonRepost');
        assert.equal(item.reason.by.handle, emulator.handle);
        ++reposts;
        return item.reason.uri;
      }
      assert.equal(item.post.author.handle, emulator.handle);
      return item.post.uri;
    });
    assert.ok(reposts > 0, 'getAuthorFeed: no repost');

    // The session expires: the client refreshes it once and goes on.
    const before = agent.session.accessJwt;
    await new Promise((resolve) => setTimeout(resolve, SESSION_LIFE * 1000 + 300));
    const followers = await allPages('getFollowers', (cursor) =>
      agent.app.bsky.graph.getFollowers({ actor: emulator.handle, limit: 100, cursor }),
    (page) => page.followers, (profile) => profile.did);
    assert.notEqual(agent.session.accessJwt, before, 'the expired session was not refreshed');

    const handles = [];
    for (const did of followers) handles.push(did);
    const profiles = await agent.app.bsky.actor.getProfiles({ actors: [emulator.handle, ...handles.slice(0, 24)] });
    assert.equal(profiles.data.profiles.length, 25);
    assert.equal(profiles.data.profiles[0].followersCount, followers.size);
    await assert.rejects(agent.app.bsky.actor.getProfiles({ actors: handles.slice(0, 26) }));
    console.log('1 passed, 0 failed');
  } finally {
    emulator.child.kill('SIGTERM');
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
