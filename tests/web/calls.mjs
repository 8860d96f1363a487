// The page's calls for scripts held against the native sa_study built from the same checkout:
// a population level by level and a sweep row by row, field by field, in either number style;
// and the interface's refusals of arguments it cannot take, each with the range or the name at
// fault. Usage: node calls.mjs --help

import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { after, before, describe, test } from 'node:test';
import { fileUrl, launchBrowser, nativeStudy, openPage, parseArguments } from './harness.mjs';

const options = parseArguments('calls.mjs', "Tests the page's calls in headless Chromium.", {
  page: { help: "the built page's index.html" },
  'sa-study': { help: 'the native sa_study' },
  browser: { value: '/usr/bin/chromium-headless-shell', help: 'headless Chromium' },
});

// sa_study's option for each field, and each field's value as sa_study takes it.
const optionOf = { seed: 'seed', runs: 'runs', t0: 't0', alpha: 'alpha', tFinal: 't-final', trials: 'trials', bits: 'bits' };
const portuguese = { decimalPoint: ',', listSeparator: ';' };
function argumentsOf(params, style) {
  const english = (text) => (style ? String(text).replaceAll(',', '.').replaceAll(';', ',') : String(text));
  return Object.entries(params).map(([field, value]) => `--${optionOf[field]}=${english(value)}`);
}

// A CSV's rows keyed by its heading, numbers as numbers and an empty field as null, as the
// interface has them.
function rowsOf(csv) {
  const [heading, ...lines] = csv.trimEnd().split('\n').map((line) => line.split(','));
  const valueOf = (text) => (text === '' ? null : Number.isNaN(Number(text)) ? text : Number(text));
  return lines.map((fields) => Object.fromEntries(fields.map((text, i) => [heading[i], valueOf(text)])));
}

const timing = (name) => /(_us|_seconds)$/.test(name);
const withoutTimings = (row) => Object.fromEntries(Object.entries(row).filter(([name]) => !timing(name)));
const sum = (values) => values.reduce((a, b) => a + b, 0);

let browser;
let page;
let messages;

before(async () => {
  browser = await launchBrowser(options.browser);
  ({ page, messages } = await openPage(browser, fileUrl(options.page)));
});

after(async () => {
  await browser?.close();
});

describe('sa.population', () => {
  const populations = [
    ['a slow schedule, 100 bins', { seed: 1, runs: 2000, t0: 1, alpha: 0.99, tFinal: 0.001 }, 100, null],
    ['a quench on 12 bits, 37 bins, in Portuguese', { seed: 7, runs: 3000, t0: '0,5', alpha: '0,5', tFinal: '0,001', bits: 12 }, 37, portuguese],
  ];
  for (const [name, params, bins, style] of populations) {
    test(`is sa_study --population's CSV, level by level: ${name}`, async (t) => {
      const levels = await page.evaluate((p, b, s) => window.sa.population(p, { bins: b, ...(s ? { numberStyle: s } : {}) }),
        params, bins, style);
      const native = rowsOf(nativeStudy(options['sa-study'], ['--population', ...argumentsOf(params, style)]));
      assert.equal(levels.length, native.length);
      let fields = 0;
      for (const [i, { histogram, boltzmann, ...row }] of levels.entries()) {
        assert.deepEqual(row, native[i], `level ${i}`);
        fields += Object.keys(row).length;
        assert.equal(histogram.length, bins);
        assert.equal(sum(histogram), row.runs, `level ${i}: the histogram holds every run`);
        assert.ok(Math.abs(sum(boltzmann) - 1) < 1e-12, `level ${i}: the equilibrium's mass adds up to ${sum(boltzmann)}`);
      }
      t.diagnostic(`${levels.length} levels, ${fields} fields compared with sa_study --population`);
    });
  }

  test('reports its runs, then its levels, and can be cancelled', async () => {
    const seen = await page.evaluate(async () => {
      const progress = [];
      await window.sa.population({ seed: 2, runs: 400, t0: 1, alpha: 0.9, tFinal: 0.01, bits: 10 },
        { onProgress: (p) => progress.push(p) });
      const controller = new AbortController();
      const cancelled = window.sa.population({ seed: 2, runs: 100000, bits: 20 }, { signal: controller.signal })
        .catch((e) => e.name);
      setTimeout(() => controller.abort(), 100);
      return { first: progress[0], last: progress.at(-1), cancelled: await cancelled };
    });
    assert.ok(seen.first.runs === 400 && seen.first.runsDone > 0, JSON.stringify(seen.first));
    assert.deepEqual(seen.last, { levelsDone: 44, levels: 44 });
    assert.equal(seen.cancelled, 'AbortError');
  });
});

describe('sa.sweep', () => {
  const sweeps = [
    ['four schedules on 12 bits', { seed: 5, runs: 500, alpha: '0.9,0.97', tFinal: '0.1,0.01', bits: 12 }, null],
    ['a range and a list, in Portuguese', { seed: 9, runs: 300, t0: 1, alpha: '0,8:0,9:0,05', tFinal: '0,01;0,0001', trials: 6 }, portuguese],
  ];
  for (const [name, params, style] of sweeps) {
    test(`gives sa_study --csv's rows in its order: ${name}`, async (t) => {
      const { rows, least } = await page.evaluate(async (p, s) => {
        const found = await window.sa.sweep(p, s ? { numberStyle: s } : {});
        return { rows: [...found], least: found.least };
      }, params, style);
      const native = rowsOf(nativeStudy(options['sa-study'], argumentsOf(params, style)));
      assert.deepEqual(rows.map(withoutTimings), native.map(withoutTimings));
      const times = native.map((row) => row.tts99_trials ?? Infinity);
      assert.equal(least, times.indexOf(Math.min(...times)));
      t.diagnostic(`${rows.length} schedules, ${sum(rows.map((row) => Object.keys(withoutTimings(row)).length))} fields compared with sa_study --csv`);
    });
  }
});

describe('sa.landscape', () => {
  test('has every hill, highest first, and a second peak only where the grid shows one', async () => {
    const [fine, coarse] = await page.evaluate(async () => [await window.sa.landscape(17, 100), await window.sa.landscape(2, 10)]);
    for (const grid of [fine, coarse]) {
      assert.equal(grid.hills.length, 11);
      const values = grid.hills.map((hill) => hill.value);
      assert.deepEqual(values, [...values].sort((a, b) => b - a));
      assert.deepEqual([grid.hills[0].fromX, grid.hills[0].toX], [grid.globalPeak.fromX, grid.globalPeak.toX]);
    }
    assert.deepEqual([fine.hills[1].fromX, fine.hills[1].toX], [fine.secondPeak.fromX, fine.secondPeak.toX]);
    assert.equal('secondPeak' in coarse, false);
    assert.equal('fromX' in coarse.hills[1], false);
  });

  test('reports the points it tabulates, and can be cancelled', async () => {
    const seen = await page.evaluate(async () => {
      const progress = [];
      await window.sa.landscape(19, 100, { onProgress: (p) => progress.push(p) });
      const controller = new AbortController();
      const cancelled = window.sa.landscape(24, 100, { signal: controller.signal }).catch((e) => e.name);
      setTimeout(() => controller.abort(), 100);
      return { last: progress.at(-1), cancelled: await cancelled };
    });
    assert.deepEqual(seen.last, { pointsDone: 524288, points: 524288 });
    assert.equal(seen.cancelled, 'AbortError');
  });
});

describe('the interface', () => {
  // A call that must be refused: the error's name and message.
  const refusals = [
    ['study', [{ seed: 1, runs: 10 }, { bins: 0 }], 'RangeError', 'bins must be a whole number from 1 to 1000, not 0'],
    ['study', [{ seed: 1, runs: 10 }, { bins: -5 }], 'RangeError', 'bins must be a whole number from 1 to 1000, not -5'],
    ['study', [{ seed: 1, runs: 10 }, { bins: 1e9 }], 'RangeError', 'bins must be a whole number from 1 to 1000, not 1000000000'],
    ['study', [{ seed: 1, runs: 10 }, { bins: 2.5 }], 'RangeError', 'bins must be a whole number from 1 to 1000, not 2.5'],
    ['study', [{ seed: 1, runs: 10 }, { bins: '10' }], 'TypeError', 'bins must be a whole number from 1 to 1000, not the text "10"'],
    ['population', [{ seed: 1, runs: 10 }, { bins: 0 }], 'RangeError', 'bins must be a whole number from 1 to 1000, not 0'],
    ['landscape', [10, 0], 'RangeError', 'columns must be a whole number from 1 to 10000, not 0'],
    ['landscape', [10, 20000], 'RangeError', 'columns must be a whole number from 1 to 10000, not 20000'],
    ['landscape', [0], 'RangeError', 'bits must be a whole number from 2 to 24, not 0'],
    ['landscape', [25], 'RangeError', 'bits must be a whole number from 2 to 24, not 25'],
    ['landscape', [32], 'RangeError', 'bits must be a whole number from 2 to 24, not 32'],
    ['landscape', ['10'], 'TypeError', 'bits must be a whole number from 2 to 24, not the text "10"'],
    ['session', ['5', ''], 'TypeError', 'a clock second must be a whole number from 0 to 4294967295, not the text "5"'],
    ['session', [-1, ''], 'RangeError', 'a clock second must be a whole number from 0 to 4294967295, not -1'],
    ['session', [5, 7], 'TypeError', "a session's input must be text, not 7"],
    ['study', [{ seed: 1, rns: 5 }], 'TypeError', "params has no 'rns': it takes seed, runs, t0, alpha, tFinal, trials, bits"],
    ['check', ['x'], 'TypeError', 'params must be an object, not the text "x"'],
    ['check', [[0.9]], 'TypeError', 'params must be an object, not an array'],
    ['check', [null], 'TypeError', 'params must be an object, not null'],
    ['trace', [{ alpha: [0.9] }], 'TypeError', 'params.alpha must be a number or text, not an array'],
    ['sweep', [{}, { bins: 5 }], 'TypeError', "options has no 'bins': it takes onProgress, signal, numberStyle"],
    ['study', [{}, { onProgress: 1 }], 'TypeError', 'onProgress must be a function, not 1'],
    ['check', [{}, { numberStyle: { decimalPoint: ';' } }], 'RangeError', "numberStyle.decimalPoint must be '.' or ',', not the text \";\""],
    ['check', [{}, { numberStyle: { decimalPoint: ',' } }], 'RangeError', "numberStyle's decimal point and list separator must differ, not both ','"],
    ['check', [{}, { numberStyle: { comma: ',' } }], 'TypeError', "numberStyle has no 'comma': it takes decimalPoint, listSeparator"],
  ];
  test(`refuses ${refusals.length} arguments it cannot take, saying why`, async () => {
    for (const [call, args, name, message] of refusals) {
      const refused = await page.evaluate((c, a) => window.sa[c](...a).then(() => null, (e) => [e.name, e.message]), call, args);
      assert.deepEqual(refused, [name, message], `sa.${call}(${JSON.stringify(args)})`);
    }
  });

  test("refuses values as sa_study does, with the fault: a population beyond its bounds, a sweep beyond the page's", async () => {
    const tooLong = { seed: 1, t0: 100, alpha: 0.9999, tFinal: 0.1, bits: 8 };
    const run = spawnSync(options['sa-study'], ['--population', ...argumentsOf(tooLong)], { encoding: 'utf8' });
    const refused = await page.evaluate((p) => window.sa.population(p).catch((e) => [e.message, e.fault]), tooLong);
    assert.equal(run.status, 2);
    assert.deepEqual(refused, [run.stderr.replace(/^sa_study: /, '').trimEnd(), {
      kind: 'population_too_large', field: null, value: 'T0 100, alpha 0.9999, final T 0.1, 4 trials per level, 8 bits',
      shown: 'about 69063 levels', limit: '10,000 levels',
    }]);
    const kinds = await page.evaluate(async () => Promise.all([
      { alpha: '0.5:0.99:0.0049' },
      { runs: 100000, alpha: '0.9,0.99', tFinal: '0.0000001' },
    ].map((p) => window.sa.sweep(p).catch((e) => e.fault.kind))));
    assert.deepEqual(kinds, ['too_many_schedules', 'too_many_trials']);
  });

  test('refuses a session whose output the page cannot hold, rather than cut it', async () => {
    const refused = await page.evaluate(() => window.sa.session(1, '1\n'.repeat(60000)).catch((e) => [e.name, e.message]));
    assert.deepEqual(refused, ['RangeError', 'the session prints more than 16 MiB, more than the page holds: give it less input']);
    const whole = await page.evaluate(() => window.sa.session(1, '1\n'.repeat(2000)));
    assert.equal(whole.split('Escolha:').length, 2002);
  });

  test('names no field and no fault that the libraries lack, and lacks none they have', async () => {
    const named = await page.evaluate(async () => {
      const { vocabulary, messages: words } = window.saPage;
      const inputs = (form) => [...document.getElementById(form).elements]
        .filter((element) => element.tagName === 'INPUT').map((input) => input.name).sort();
      const checked = await window.sa.check({ seed: 1 });
      const field = (kind) => ({ kind, field: 't0', value: '1', shown: '1', limit: '2' });
      return {
        faults: [...vocabulary.faults].sort(),
        english: Object.keys(words.english.kinds).sort(),
        portuguese: Object.keys(words.portuguese.kinds).sort(),
        unworded: vocabulary.faults.flatMap((kind) => [words.english, words.portuguese]
          .map((table) => words.describe(field(kind), table))
          .filter((text) => text === '' || text.includes('undefined'))),
        pageKeys: vocabulary.fields.filter((f) => f.page).map((f) => f.key).sort(),
        pageParams: vocabulary.fields.filter((f) => f.page).map((f) => f.param).sort(),
        schedule: inputs('schedule-form'),
        sweep: inputs('sweep-form').map((name) => name.replace(/^sweep-/, '')),
        checked: Object.keys(checked).sort(),
      };
    });
    assert.deepEqual(named.english, named.faults);
    assert.deepEqual(named.portuguese, named.faults);
    assert.deepEqual(named.unworded, []);
    assert.deepEqual(named.schedule, named.pageKeys);
    assert.ok(named.sweep.every((key) => named.pageKeys.includes(key)), named.sweep.join());
    assert.ok(named.pageParams.every((param) => named.checked.includes(param)), named.checked.join());
  });

  test('logged no error or warning', () => {
    assert.deepEqual(messages.filter((m) => ['error', 'warn', 'warning', 'pageerror'].includes(m.type)), []);
  });
});
