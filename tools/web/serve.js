// Serves the browser build on 127.0.0.1 with the headers its threads need
// (cross-origin isolation gives the page SharedArrayBuffer). Ends on Ctrl-C.
//   node tools/web/serve.js DIR [PORT]       (PORT defaults to $PORT, else 8080; 0 picks one)
// Prints "serving http://127.0.0.1:PORT/quillomar.html" once it listens.
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');

const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.data': 'application/octet-stream', '.png': 'image/png', '.txt': 'text/plain; charset=utf-8',
};

// Starts serving `root` on 127.0.0.1:`port` (0: any free port); resolves to the server.
function serve(root, port) {
  root = path.resolve(root);
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    const file = path.join(root, path.normalize(name).replace(/^([/\\])+/, ''));
    if (!file.startsWith(root + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    fs.stat(file, (error, stat) => {
      if (error || !stat.isFile()) {
        response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
        return;
      }
      response.writeHead(200, {
        'Content-Type': types[path.extname(file)] || 'application/octet-stream',
        'Content-Length': stat.size,
        'Cross-Origin-Opener-Policy': 'same-origin',
        'Cross-Origin-Embedder-Policy': 'require-corp',
        'Cache-Control': 'no-cache',
      });
      fs.createReadStream(file).pipe(response);
    });
  });
  return new Promise((resolve) => server.listen(port, '127.0.0.1', () => resolve(server)));
}

module.exports = { serve };

if (require.main === module) {
  const port = Number(process.argv[3] || process.env.PORT || 8080);
  serve(process.argv[2] || 'build-web', port).then((server) => {
    console.log(`serving http://127.0.0.1:${server.address().port}/quillomar.html`);
    const stop = () => server.close(() => process.exit(0));
    process.on('SIGINT', stop);
    process.on('SIGTERM', stop);
  });
}
