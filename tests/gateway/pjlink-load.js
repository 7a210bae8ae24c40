// SPDX-License-Identifier: GPL-3.0-or-later
// Many clients of the npm package pjlink polling projectors every second, as
// control systems do: client i asks the projector on ports[i % ports.length]
// for its input one second and its lamps the next (or the STEPS given, in
// turn). One JSON object a line for each answer:
// {"client", "port", "step", "error", "result"}.
//   node pjlink-load.js MODULE_DIR HOST PORT[,PORT...] CLIENTS SECONDS [STEP,...]
'use strict';
const path = require('path');
const [moduleDir, host, portList, clientCount, seconds, stepList] = process.argv.slice(2);
const steps = (stepList || 'getInput,getLamps').split(',');
const PJLink = require(path.join(moduleDir, 'node_modules', 'pjlink'));
const ports = portList.split(',').map(Number);
const end = Date.now() + Number(seconds) * 1000;

function ask(client, method) {
    return new Promise((resolve) => client[method]((error, result) => resolve({error, result})));
}

async function poll(index) {
    const port = ports[index % ports.length];
    const client = new PJLink(host, port);
    for (let round = 0; Date.now() < end; ++round) {
        const started = Date.now();
        const step = steps[round % steps.length];
        const {error, result} = await ask(client, step);
        process.stdout.write(JSON.stringify({client: index, port, step,
                                             error: error ? error.message : null,
                                             result: result === undefined ? null : result}) + '\n');
        await new Promise((r) => setTimeout(r, Math.max(0, 1000 - (Date.now() - started))));
    }
    client.disconnect();
}

Promise.all(Array.from({length: Number(clientCount)}, (_, i) => poll(i)));
