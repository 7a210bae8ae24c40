// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the npm package pjlink against one PJLink device and prints one JSON
// object a line for each step: {"step", "error", "result"}.
//   node pjlink-client.js MODULE_DIR HOST PORT PASSWORD STEPS_JSON
// A step is [method, ...arguments] of the package's client, or
// ["until", method, value, ms]: asks every 200 ms until the result is value,
// and gives every distinct result seen in order.
'use strict';
const path = require('path');
const [moduleDir, host, port, password, stepsJson] = process.argv.slice(2);
const PJLink = require(path.join(moduleDir, 'node_modules', 'pjlink'));
const client = new PJLink(host, Number(port), password || undefined);
const steps = JSON.parse(stepsJson);

function call(method, args) {
    return new Promise((resolve) => {
        client[method](...args, (error, ...results) => {
            resolve({error: error ? error.message : null,
                     result: results.length > 1 ? results : results[0]});
        });
    });
}

async function until(method, value, ms) {
    const seen = [];
    const end = Date.now() + ms;
    for (;;) {
        const answer = await call(method, []);
        const result = answer.error ? 'error: ' + answer.error : answer.result;
        if (seen.length === 0 || JSON.stringify(seen[seen.length - 1]) !== JSON.stringify(result))
            seen.push(result);
        if (JSON.stringify(result) === JSON.stringify(value))
            return {error: null, result: seen};
        if (Date.now() > end)
            return {error: 'not reached', result: seen};
        await new Promise((r) => setTimeout(r, 200));
    }
}

(async () => {
    for (const [method, ...args] of steps) {
        const answer = method === 'until' ? await until(...args) : await call(method, args);
        process.stdout.write(JSON.stringify({step: method, error: answer.error,
                                             result: answer.result === undefined ? null : answer.result}) + '\n');
    }
    client.disconnect();
})();
