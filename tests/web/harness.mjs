// What the browser suite and the benchmark share: their command lines, Debian's headless
// Chromium or Firefox ESR driven by puppeteer-core, and the native programs that the page is held
// against.

import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { createServer } from 'node:net';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';

// Parses --name value pairs against `options` ({name: {value, help}}); answers --help, and
// stops with a one-line error and status 2 on anything else.
export function parseArguments(program, summary, options) {
  const args = process.argv.slice(2);
  const values = Object.fromEntries(Object.entries(options).map(([name, o]) => [name, o.value]));
  const fail = (message) => {
    process.stderr.write(`${program}: ${message} (see --help)\n`);
    process.exit(2);
  };
  for (let i = 0; i < args.length; ++i) {
    if (args[i] === '--help') {
      const lines = Object.entries(options).map(([name, o]) =>
        `  --${name} ${o.metavar ?? 'PATH'}`.padEnd(30) + o.help +
        (o.value === undefined ? '' : ` (default ${o.value})`));
      process.stdout.write(`Usage: ${program} [options]\n\n${summary}\n\n${lines.join('\n')}\n`);
      process.exit(0);
    }
    const name = args[i].startsWith('--') ? args[i].slice(2) : null;
    if (name === null || !(name in options)) {
      fail(`unknown argument '${args[i]}'`);
    }
    if (i + 1 >= args.length) {
      fail(`--${name} needs a value`);
    }
    values[name] = args[++i];
    if (options[name].choices && !options[name].choices.includes(values[name])) {
      fail(`--${name} takes ${options[name].choices.join(', ')}, not '${values[name]}'`);
    }
  }
  for (const [name, value] of Object.entries(values)) {
    if (value === undefined) {
      fail(`--${name} is required`);
    }
  }
  return values;
}

// The engines the page is tested in, each told by its executable's name unless named.
const engineNames = { chromium: /chrom/, firefox: /firefox/ };
export const engines = Object.keys(engineNames);
export const browserOptions = {
  browser: { value: '/usr/bin/chromium-headless-shell', help: 'the browser: headless Chromium or Firefox ESR' },
  engine: { value: 'auto', metavar: 'NAME', choices: ['auto', ...engines], help: "the browser's engine, told by its name if auto" },
};
export function engineOf(executablePath, named = 'auto') {
  if (named !== 'auto') {
    return named;
  }
  const engine = engines.find((e) => engineNames[e].test(path.basename(executablePath)));
  if (engine === undefined) {
    throw new Error(`cannot tell the engine of ${executablePath}: name it with --engine (${engines.join(', ')})`);
  }
  return engine;
}

// Firefox's profile, beside puppeteer's own, which turns off most of what Firefox fetches by
// itself. Its remote settings (blocklists, search and tracking lists) take no other server
// than Mozilla's unless MOZ_REMOTE_SETTINGS_DEVTOOLS is set: a data: address makes them fail
// at once. A page opened from disk is an origin of its own, as a user's Firefox has it, where
// puppeteer's profile would let it read the files beside it.
const firefoxPreferences = {
  'services.settings.server': 'data:,#remote-settings-dummy/v1',
  'security.fileuri.strict_origin_policy': true,
};

// A proxy that answers nothing and notes the first line of every request sent to it: where the
// browser sends all it would fetch from other machines, so that none leaves this one. Addresses
// on this machine go straight, in either engine.
async function startRecorder() {
  const asked = [];
  const server = createServer((socket) => {
    socket.on('error', () => {});
    socket.once('data', (data) => {
      asked.push(data.toString('latin1').split('\r\n')[0]);
      socket.destroy();
    });
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return { asked, port: server.address().port, close: () => server.close() };
}

// The browser, headless and quiet: no sandbox (the tests run as root), nothing fetched in the
// background, a fresh profile that is removed on close, and `fetchedElsewhere`, the requests it
// sent off this machine. The engine is the executable's unless named.
export async function launchBrowser(executablePath, named = 'auto') {
  const engine = engineOf(executablePath, named);
  const profile = mkdtempSync(path.join(tmpdir(), `sa-web-${engine}-profile-`));
  const recorder = await startRecorder();
  const proxy = { host: '127.0.0.1', port: recorder.port };
  const browser = await puppeteer.launch(engine === 'firefox'
    ? {
      browser: 'firefox', executablePath, headless: true, userDataDir: profile,
      env: { ...process.env, MOZ_REMOTE_SETTINGS_DEVTOOLS: '1' },
      extraPrefsFirefox: {
        ...firefoxPreferences,
        'network.proxy.type': 1,
        'network.proxy.http': proxy.host,
        'network.proxy.http_port': proxy.port,
        'network.proxy.ssl': proxy.host,
        'network.proxy.ssl_port': proxy.port,
      },
    }
    : {
      browser: 'chrome', executablePath, headless: true,
      args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
        '--disable-component-update', '--disable-sync', '--no-first-run', `--user-data-dir=${profile}`,
        `--proxy-server=http://${proxy.host}:${proxy.port}`],
    });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    recorder.close();
    rmSync(profile, { recursive: true, force: true });
  };
  browser.engine = engine;
  browser.fetchedElsewhere = recorder.asked;
  return browser;
}

// A tab on the page, its module loaded, with every console message and page error it gives
// collected in `messages`, and the address of everything it loads in `requests`.
export async function openPage(browser, url, viewport = { width: 1280, height: 800 }, requests = []) {
  const page = await browser.newPage();
  const messages = [];
  page.on('console', (message) => messages.push({ type: message.type(), text: message.text() }));
  page.on('pageerror', (error) => messages.push({ type: 'pageerror', text: error.message }));
  page.on('request', (request) => requests.push(request.url()));
  await page.setViewport(viewport);
  await page.goto(url);
  await page.evaluate(() => window.sa.ready);
  return { page, messages };
}

export const fileUrl = (file) => pathToFileURL(path.resolve(file)).href;

// The CSV file that sa_study writes for `args`.
export function nativeStudy(saStudy, args) {
  const folder = mkdtempSync(path.join(tmpdir(), 'sa-web-study-'));
  try {
    const csv = path.join(folder, 'out.csv');
    const run = spawnSync(saStudy, [...args, '--csv', csv], { encoding: 'utf8' });
    if (run.status !== 0) {
      throw new Error(`sa_study ${args.join(' ')} exited with ${run.status}: ${run.stderr}`);
    }
    return readFileSync(csv, 'utf8');
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
}

// What axe-core finds wrong in the page as it stands: each violation's rule, and the elements.
const axeSource = new URL('./node_modules/axe-core/axe.min.js', import.meta.url);
export async function axeViolations(page) {
  if (!(await page.evaluate(() => 'axe' in window))) {
    await page.addScriptTag({ path: fileURLToPath(axeSource) });
  }
  // No preload: a page opened from disk may not fetch its own stylesheet again.
  const violations = await page.evaluate(async () => (await window.axe.run(document, { preload: false })).violations);
  return violations.map((v) => `${v.id} (${v.impact}): ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
}

// The fields of a line of a CSV file: a field in quotes, as a landscape's label with a comma is
// written, may hold commas, and "" for a quote.
export function csvFields(line) {
  const fields = [];
  const field = /"((?:[^"]|"")*)"|([^,]*)/y;
  for (let at = 0; at <= line.length; ++at) {
    field.lastIndex = at;
    const [whole, quoted, plain] = field.exec(line);
    fields.push(quoted === undefined ? plain : quoted.replaceAll('""', '"'));
    at += whole.length;
  }
  return fields;
}
