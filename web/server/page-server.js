#!/usr/bin/env node
// The page server: serves the demo host page with the bundled sample
// portfolio, the control's files, and stand-in server pages that answer
// from canned replies (the first reply whose address is a prefix of the
// request's address, as the headless host answers).
//
//   node web/server/page-server.js [--host 127.0.0.1] [--port 8080] [--port-fallback]
//        [--control DIR] [--properties FILE] [--replies FILE] [--delay MS] [--pid-file FILE]
//
// GET /stand-in/settings?delay=MS changes the delay of the stand-in pages
// while the server runs (tests slow the replies down this way).
'use strict';

const http = require('node:http');
const fs = require('node:fs');
const path = require('node:path');

const repo = path.resolve(__dirname, '..', '..');

function parseArgs(argv) {
  const options = {
    host: '127.0.0.1',
    port: 8080,
    portFallback: false,
    control: path.join(repo, 'build-web', 'dist'),
    properties: path.join(repo, 'samples', 'portfolio.json'),
    replies: path.join(repo, 'samples', 'replies.json'),
    delay: 0,
    pidFile: '',
  };
  for (let i = 2; i < argv.length; i++) {
    const arg = argv[i];
    const value = () => {
      if (i + 1 >= argv.length) throw new Error(`${arg} needs a value`);
      return argv[++i];
    };
    if (arg === '--host') options.host = value();
    else if (arg === '--port') options.port = Number(value());
    else if (arg === '--port-fallback') options.portFallback = true;
    else if (arg === '--control') options.control = path.resolve(value());
    else if (arg === '--properties') options.properties = path.resolve(value());
    else if (arg === '--replies') options.replies = path.resolve(value());
    else if (arg === '--delay') options.delay = Number(value());
    else if (arg === '--pid-file') options.pidFile = path.resolve(value());
    else throw new Error(`unknown option ${arg}`);
  }
  if (!Number.isInteger(options.port) || options.port < 0 || options.port > 65535) throw new Error('--port needs a port number');
  if (!(options.delay >= 0)) throw new Error('--delay needs a number of milliseconds');
  return options;
}

// The address part a stand-in page compares: path and query, written as
// the browser writes them.
function pathAndQuery(address) {
  const url = new URL(address, 'http://stand-in.invalid');
  return url.pathname + url.search;
}

function loadReplies(file) {
  const list = JSON.parse(fs.readFileSync(file, 'utf8'));
  if (!Array.isArray(list)) throw new Error(`${file} must hold a JSON array of {match, reply} objects`);
  return list.map((r, i) => {
    if (!r || typeof r.match !== 'string') throw new Error(`${file}: reply ${i + 1} needs a text "match"`);
    if (!r.fail && typeof r.reply !== 'string') throw new Error(`${file}: the reply for ${r.match} has no "reply"`);
    return { match: pathAndQuery(r.match), reply: r.reply || '', fail: !!r.fail, status: Number.isInteger(r.status) ? r.status : 200 };
  });
}

function loadProperties(file) {
  const props = JSON.parse(fs.readFileSync(file, 'utf8'));
  if (!props || typeof props !== 'object' || Array.isArray(props)) throw new Error(`${file} must hold one JSON object of property texts`);
  for (const [k, v] of Object.entries(props)) if (typeof v !== 'string') throw new Error(`${file}: the property ${k} must be a text`);
  return props;
}

// The sample's page addresses point at the stand-in pages of whatever
// address this server has.
function propertiesFor(props, origin) {
  const out = {};
  for (const [name, value] of Object.entries(props)) {
    out[name] = value;
    if (!name.endsWith('Path') || value === '') continue;
    try {
      const url = new URL(value);
      if (url.pathname.startsWith('/pages/')) out[name] = origin + url.pathname + url.search;
    } catch (e) {
      // Not an absolute address: left as it is.
    }
  }
  return out;
}

function escapeAttribute(text) {
  return text.replace(/&/g, '&amp;').replace(/"/g, '&quot;').replace(/</g, '&lt;').replace(/>/g, '&gt;');
}

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.json': 'application/json; charset=utf-8',
  '.png': 'image/png',
};

// The request line and headers together: a 4 MB address and room for the
// headers a browser sends.
const MAX_REQUEST_HEAD_BYTES = 4 * 1024 * 1024 + 64 * 1024;

function send(res, status, type, body) {
  res.writeHead(status, { 'Content-Type': type, 'Cache-Control': 'no-store', 'X-Content-Type-Options': 'nosniff' });
  res.end(body);
}

function serveFile(res, dir, relative) {
  const file = path.resolve(dir, '.' + path.posix.normalize('/' + relative));
  if (!file.startsWith(path.resolve(dir) + path.sep)) return send(res, 403, 'text/plain; charset=utf-8', 'Forbidden');
  fs.readFile(file, (err, data) => {
    if (err) return send(res, 404, 'text/plain; charset=utf-8', `Not found: ${relative}`);
    send(res, 200, TYPES[path.extname(file)] || 'application/octet-stream', data);
  });
}

function createServer(options) {
  const replies = loadReplies(options.replies);
  const properties = loadProperties(options.properties);
  const settings = { delay: options.delay };
  const demoDir = path.join(__dirname, '..', 'demo');

  // Answers the delay holds back; a closed server drops them.
  const pending = new Set();
  // Request addresses as long as zemra-pages takes (4 MB): a scenario-detail
  // address for 3125 scenarios is about 150 KB, past node's default 16 KB.
  const server = http.createServer({ maxHeaderSize: MAX_REQUEST_HEAD_BYTES }, (req, res) => {
    const origin = `http://${req.headers.host || `${options.host}:${options.port}`}`;
    let url;
    try {
      url = new URL(req.url, origin);
    } catch (e) {
      return send(res, 400, 'text/plain; charset=utf-8', 'Bad request');
    }
    if (req.method !== 'GET' && req.method !== 'HEAD') return send(res, 405, 'text/plain; charset=utf-8', 'Method not allowed');
    const route = url.pathname;

    if (route.startsWith('/pages/')) {
      const asked = req.url;
      const answer = () => {
        const hit = replies.find((r) => asked.startsWith(r.match));
        if (!hit) return send(res, 404, 'text/plain; charset=utf-8', `No stand-in reply for ${asked}`);
        if (hit.fail) return send(res, 503, 'text/plain; charset=utf-8', `The stand-in page fails for ${asked}`);
        send(res, hit.status, 'text/plain; charset=utf-8', hit.reply);
      };
      if (settings.delay > 0) {
        const timer = setTimeout(() => { pending.delete(timer); answer(); }, settings.delay);
        pending.add(timer);
      } else {
        answer();
      }
      return;
    }
    if (route === '/stand-in/settings') {
      const delay = url.searchParams.get('delay');
      if (delay !== null) {
        const ms = Number(delay);
        if (!(ms >= 0)) return send(res, 400, 'text/plain; charset=utf-8', 'delay needs a number of milliseconds');
        settings.delay = ms;
      }
      return send(res, 200, 'application/json; charset=utf-8', JSON.stringify(settings));
    }
    if (route === '/' || route === '/index.html') {
      let template = fs.readFileSync(path.join(demoDir, 'index.html'), 'utf8');
      // "?lang=TAG" gives the demo page another language (and with it the
      // control's number and date conventions).
      const lang = url.searchParams.get('lang');
      if (lang !== null && /^[A-Za-z]{2,3}(-[A-Za-z0-9]{2,8})*$/.test(lang)) {
        template = template.replace('<html lang="en">', `<html lang="${lang}">`);
      }
      const params = Object.entries(propertiesFor(properties, origin))
        .map(([name, value]) => `    <param name="${escapeAttribute(name)}" value="${escapeAttribute(value)}">`)
        .join('\n');
      return send(res, 200, TYPES['.html'], template.replace('<!-- PROPERTIES -->', params.trimStart()));
    }
    if (route === '/samples/portfolio.json') {
      return send(res, 200, TYPES['.json'], JSON.stringify(propertiesFor(properties, origin), null, 1));
    }
    if (route.startsWith('/control/')) return serveFile(res, options.control, route.slice('/control/'.length));
    if (route === '/favicon.ico') return send(res, 204, 'image/x-icon', '');
    return serveFile(res, demoDir, route.slice(1));
  });
  server.on('close', () => {
    for (const timer of pending) clearTimeout(timer);
    pending.clear();
  });
  return server;
}

function listen(server, options) {
  return new Promise((resolve, reject) => {
    let port = options.port;
    const lastPort = options.portFallback && port !== 0 ? port + 20 : port;
    const attempt = () => {
      server.once('error', (err) => {
        if (err.code === 'EADDRINUSE' && port < lastPort) {
          port++;
          attempt();
        } else {
          reject(err);
        }
      });
      server.listen(port, options.host, () => resolve(server.address().port));
    };
    attempt();
  });
}

async function main() {
  let options;
  try {
    options = parseArgs(process.argv);
  } catch (e) {
    console.error(e.message);
    process.exit(2);
  }
  const server = createServer(options);
  let port;
  try {
    port = await listen(server, options);
  } catch (e) {
    console.error(`The page server cannot listen on ${options.host}:${options.port}: ${e.message}`);
    process.exit(1);
  }
  if (options.pidFile) fs.writeFileSync(options.pidFile, `${process.pid}\n`);
  const host = options.host.includes(':') ? `[${options.host}]` : options.host;
  console.log(`Page server: http://${host}:${port}/`);
  const stop = () => {
    if (options.pidFile) fs.rmSync(options.pidFile, { force: true });
    process.exit(0);
  };
  process.on('SIGTERM', stop);
  process.on('SIGINT', stop);
}

if (require.main === module) main();

module.exports = { createServer, listen, parseArgs };
