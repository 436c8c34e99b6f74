// A static file server for the built page on 127.0.0.1, compressing with
// gzip what the browser accepts compressed, as a static host would.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import zlib from 'node:zlib';

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.css': 'text/css',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.png': 'image/png',
  '.webmanifest': 'application/manifest+json',
};

// Only files inside `root` are served: an address that leads elsewhere is
// refused (403), one that cannot be read at all is a bad request (400).
// The server counts the requests it gets (`requests`).
export function serve(root, port = 0) {
  root = path.resolve(root);
  const server = http.createServer((request, response) => {
    ++server.requests;
    const refuse = (status) => {
      response.writeHead(status);
      response.end();
    };
    let name;
    try {
      name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    } catch {
      return refuse(400);
    }
    if (name.includes('\0')) return refuse(400);
    const file = path.resolve(root, '.' + (name === '/' ? '/index.html' : name));
    const inside = path.relative(root, file);
    if (inside === '' || inside === '..' || inside.startsWith('..' + path.sep) ||
        path.isAbsolute(inside))
      return refuse(403);
    if (!fs.existsSync(file) || !fs.statSync(file).isFile()) return refuse(404);
    let body = fs.readFileSync(file);
    const headers = {
      'Content-Type': types[path.extname(file)] || 'application/octet-stream',
      'Cache-Control': 'no-store',
    };
    if (/\bgzip\b/.test(request.headers['accept-encoding'] || '')) {
      body = zlib.gzipSync(body, {level: 9});
      headers['Content-Encoding'] = 'gzip';
    }
    headers['Content-Length'] = body.length;
    response.writeHead(200, headers);
    response.end(body);
  });
  server.requests = 0;
  return new Promise((resolve) => server.listen(port, '127.0.0.1', () => resolve(server)));
}
