// Calls to the program's JSON API. Every state change carries the page's
// per-process token (from <meta name="kelvora-token">) in X-Kelvora-Token.
// Dialogs use apiGet/apiPost and nothing else to reach the server.

function tokenMeta() {
  return document.querySelector('meta[name="kelvora-token"]');
}

// A restarted program has a new token: the page fetches it again when its
// stream reconnects.
export async function refreshToken() {
  const reply = await fetch('/', { cache: 'no-store' });
  if (!reply.ok) return;
  const page = new DOMParser().parseFromString(await reply.text(), 'text/html');
  const fresh = page.querySelector('meta[name="kelvora-token"]');
  if (fresh) tokenMeta().content = fresh.content;
}

async function readReply(reply) {
  let body = null;
  try {
    body = await reply.json();
  } catch {
    body = { error: `the server answered ${reply.status} without JSON` };
  }
  return { status: reply.status, ok: reply.ok, body };
}

export async function apiGet(path) {
  return readReply(await fetch(path, { cache: 'no-store' }));
}

// POSTs `body` as JSON; resolves to {status, ok, body}, never throws on an
// HTTP error (a lost connection does reject).
export async function apiPost(path, body = {}) {
  const reply = await fetch(path, {
    method: 'POST',
    headers: { 'Content-Type': 'application/json', 'X-Kelvora-Token': tokenMeta().content },
    body: JSON.stringify(body),
  });
  return readReply(reply);
}
