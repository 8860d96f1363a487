'use strict';

// window.sa, the page's interface for scripts and tests (doc/web.md), and saPage.core, what
// the page's own views need beside it. Sessions and stepped runs use the module on the page
// itself, since each takes milliseconds; checking a schedule, reading a grid, tracing, studying,
// following a population and sweeping go to workers, since any of them can take seconds on a
// long schedule or a large grid, and the page must never wait.
(function () {
  const onPage = createSaModule();
  const { vocabulary } = window.saPage;
  const { describe } = window.saPage.messages;

  // What the module throws when its C++ fails past all checks (a number, the exception's
  // address), as an Error that says so.
  const moduleFailure = 'the page\'s module failed (it may have run out of memory)';
  function asError(thrown) {
    return thrown instanceof Error ? thrown : new Error(moduleFailure);
  }

  // A worker's script: the module's factory and saWorkerMain, from their own text.
  let workerUrl = null;
  function workerScript() {
    if (workerUrl === null) {
      const source =
        `'use strict';\nvar _scriptDir;\nvar createSaModule = ${createSaModule.toString()};\n` +
        `${saWorkerMain.toString()}\nsaWorkerMain(self, createSaModule, ${JSON.stringify(moduleFailure)});\n`;
      workerUrl = URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
    }
    return workerUrl;
  }

  // A worker for one kind of job, so that a long job never holds up another kind. Requests
  // are answered in order. Stopping it abandons one request and sends the others to a new
  // worker.
  class Lane {
    constructor() {
      this.worker = null;
      this.pending = new Map();
      this.nextId = 1;
    }

    // The answer's promise, with the request's id for stop().
    call(kind, payload, onProgress) {
      const id = this.nextId++;
      const answer = new Promise((resolve, reject) => {
        this.pending.set(id, { kind, payload, onProgress, resolve, reject });
        this.post(id);
      });
      answer.id = id;
      return answer;
    }

    // Abandons request `id` with `reason`.
    stop(id, reason) {
      const request = this.pending.get(id);
      if (!request) {
        return;
      }
      this.pending.delete(id);
      request.reject(reason);
      this.restart();
    }

    // A new worker for the requests still pending.
    restart() {
      this.worker.terminate();
      this.worker = null;
      for (const other of this.pending.keys()) {
        this.post(other);
      }
    }

    post(id) {
      if (this.worker === null) {
        this.worker = new Worker(workerScript());
        this.worker.onmessage = (event) => this.receive(event.data);
        this.worker.onerror = (event) => this.fail(new Error(event.message));
      }
      const { kind, payload } = this.pending.get(id);
      this.worker.postMessage({ id, kind, payload });
    }

    receive({ id, result, fault, error, progress, broken }) {
      const request = this.pending.get(id);
      if (!request) {
        return;
      }
      if (progress !== undefined) {
        if (request.onProgress) {
          request.onProgress(progress);
        }
        return;
      }
      this.pending.delete(id);
      if (fault !== undefined) {
        request.reject(Object.assign(new Error(describe(fault)), { fault }));
      } else if (error !== undefined) {
        request.reject(new Error(error));
      } else {
        request.resolve(result);
      }
      // A module that failed past its checks is not trusted with the next request.
      if (broken) {
        this.restart();
      }
    }

    fail(error) {
      for (const request of this.pending.values()) {
        request.reject(error);
      }
      this.pending.clear();
      this.worker = null;
    }
  }

  const lanes = {
    check: new Lane(), grid: new Lane(), study: new Lane(), population: new Lane(), sweep: new Lane(),
  };

  // ---- The interface's own arguments, each checked before anything runs: a TypeError for a
  // value of the wrong type or an unknown name, a RangeError for one outside its range.

  // A value as a message names it: text as text, so that '5' is not taken for 5.
  function named(value) {
    if (typeof value === 'string') {
      return `the text ${JSON.stringify(value)}`;
    }
    if (typeof value === 'number' || typeof value === 'bigint' || typeof value === 'boolean') {
      return String(value);
    }
    return value === null ? 'null' : Array.isArray(value) ? 'an array' : `a ${typeof value}`;
  }

  const isPlainObject = (value) => typeof value === 'object' && value !== null && !Array.isArray(value);

  // `value`, an object whose names are all among `known`; undefined stands for {}.
  function objectOf(what, value, known) {
    if (value === undefined) {
      return {};
    }
    if (!isPlainObject(value)) {
      throw new TypeError(`${what} must be an object, not ${named(value)}`);
    }
    for (const name of Object.keys(value)) {
      if (!known.includes(name)) {
        throw new TypeError(`${what} has no '${name}': it takes ${known.join(', ')}`);
      }
    }
    return value;
  }

  // The ranges the module's arguments lie in, from the libraries' own table.
  const { limits } = vocabulary;

  // A whole number within the module's range for `name`.
  function whole(name, value, range) {
    const stated = `${name} must be a whole number from ${range.low} to ${range.high}`;
    if (typeof value !== 'number') {
      throw new TypeError(`${stated}, not ${named(value)}`);
    }
    if (!Number.isInteger(value) || value < range.low || value > range.high) {
      throw new RangeError(`${stated}, not ${value}`);
    }
    return value;
  }

  // How the fields write numbers: a decimal point and a list separator, '.' and ',' unless
  // told otherwise (the page's Portuguese uses ',' and ';').
  const decimalPoints = ['.', ','];
  const listSeparators = [',', ';'];
  function styleOf(numberStyle) {
    const given = objectOf('numberStyle', numberStyle, ['decimalPoint', 'listSeparator']);
    const style = { decimalPoint: '.', listSeparator: ',', ...given };
    for (const [name, allowed] of [['decimalPoint', decimalPoints], ['listSeparator', listSeparators]]) {
      if (!allowed.includes(style[name])) {
        const choices = allowed.map((c) => `'${c}'`).join(' or ');
        const error = typeof style[name] === 'string' ? RangeError : TypeError;
        throw new error(`numberStyle.${name} must be ${choices}, not ${named(style[name])}`);
      }
    }
    if (style.decimalPoint === style.listSeparator) {
      throw new RangeError(`numberStyle's decimal point and list separator must differ, not both '${style.decimalPoint}'`);
    }
    return style;
  }

  // The fields as text, as the user would type them in `style`; absent or empty ones are left
  // out, so that sa_study's defaults apply.
  const fieldNames = vocabulary.fields.filter((field) => field.page).map((field) => field.param);
  function fieldsOf(params, style) {
    const given = objectOf('params', params, fieldNames);
    const fields = {};
    for (const [name, value] of Object.entries(given)) {
      if (value === undefined || value === null || value === '') {
        continue;
      }
      if (typeof value === 'number') {
        fields[name] = String(value).replace('.', style.decimalPoint);
      } else if (typeof value === 'string') {
        fields[name] = value;
      } else {
        throw new TypeError(`params.${name} must be a number or text, not ${named(value)}`);
      }
    }
    return fields;
  }

  // The options of a call, of those names, and the checks each name's value meets.
  const optionChecks = {
    onProgress: (value) => {
      if (typeof value !== 'function') {
        throw new TypeError(`onProgress must be a function, not ${named(value)}`);
      }
    },
    signal: (value) => {
      if (!(value instanceof AbortSignal)) {
        throw new TypeError(`signal must be an AbortSignal, not ${named(value)}`);
      }
    },
  };
  function optionsOf(options, known) {
    const given = objectOf('options', options, known);
    for (const [name, value] of Object.entries(given)) {
      if (value !== undefined && optionChecks[name]) {
        optionChecks[name](value);
      }
    }
    return given;
  }

  // A call's params and options checked: the fields as text, and the options.
  function request(params, options, known) {
    const given = optionsOf(options, known);
    const style = styleOf(given.numberStyle);
    return { fields: fieldsOf(params, style), style, options: given };
  }

  // ---- Calls

  // The rows of a CSV file as objects keyed by its heading: numbers as numbers, other text as
  // text, an empty field as null.
  function rowsOf(csv) {
    const [heading, ...lines] = csv.trim().split('\n');
    const names = heading.split(',');
    const valueOf = (text) => (text === '' ? null : Number.isNaN(Number(text)) ? text : Number(text));
    return lines.map((line) => {
      const values = line.split(',');
      return Object.fromEntries(names.map((name, i) => [name, valueOf(values[i])]));
    });
  }

  function clockSecond(second) {
    return whole('a clock second', second, { low: 0, high: 0xffffffff });
  }

  function abortError() {
    return new DOMException('the call was cancelled', 'AbortError');
  }

  // A job on a lane that `signal` can cancel: its promise rejects with an AbortError at once.
  async function cancellable(lane, kind, payload, { onProgress, signal }) {
    if (signal && signal.aborted) {
      throw abortError();
    }
    const running = lane.call(kind, payload, onProgress);
    const abort = () => lane.stop(running.id, abortError());
    if (signal) {
      signal.addEventListener('abort', abort, { once: true });
    }
    try {
      return await running;
    } finally {
      if (signal) {
        signal.removeEventListener('abort', abort);
      }
    }
  }

  async function runSession(second, input) {
    clockSecond(second);
    if (typeof input !== 'string') {
      throw new TypeError(`a session's input must be text, not ${named(input)}`);
    }
    const module = await onPage;
    let result;
    try {
      result = module.session(second, input);
    } catch (thrown) {
      throw asError(thrown);
    }
    if (result.error !== undefined) {
      throw new Error(result.error);
    }
    if (result.overflow !== undefined) {
      throw new RangeError(`the session prints more than ${result.overflow / 2 ** 20} MiB, more than ` +
        'the page holds: give it less input');
    }
    return result;
  }

  window.sa = {
    ready: onPage.then(() => undefined),

    async session(second, input = '') {
      return (await runSession(second, input)).text;
    },

    async check(params, options) {
      const { fields, style } = request(params, options, ['numberStyle']);
      const checked = await lanes.check.call('check', { fields, style });
      return checked.fault
        ? { error: describe(checked.fault), fault: checked.fault }
        : { error: '', fault: null, ...checked };
    },

    async landscape(bits, columns = 1000, options) {
      const given = optionsOf(options, ['onProgress', 'signal']);
      whole('bits', bits, limits.bits);
      whole('columns', columns, limits.columns);
      return cancellable(lanes.grid, 'landscape', { bits, columns }, given);
    },

    async trace(params, options) {
      const { fields, style } = request(params, options, ['numberStyle']);
      return rowsOf(await lanes.grid.call('trace', { fields, style }));
    },

    async study(params, options) {
      const { fields, style, options: given } =
        request(params, options, ['bins', 'onProgress', 'signal', 'numberStyle']);
      const bins = whole('bins', given.bins ?? 100, limits.bins);
      const result = await cancellable(lanes.study, 'study', { fields, style, bins }, given);
      return { ...rowsOf(result.csv)[0], csv: result.csv, seed: result.seed,
               histogram: result.histogram, seconds: result.seconds };
    },

    async population(params, options) {
      const { fields, style, options: given } =
        request(params, options, ['bins', 'onProgress', 'signal', 'numberStyle']);
      const bins = whole('bins', given.bins ?? 100, limits.bins);
      const result = await cancellable(lanes.population, 'population', { fields, style, bins }, given);
      return rowsOf(result.csv).map((row, i) =>
        ({ ...row, histogram: result.histogram[i], boltzmann: result.boltzmann[i] }));
    },

    async sweep(params, options) {
      const { fields, style, options: given } =
        request(params, options, ['onProgress', 'signal', 'numberStyle']);
      const result = await cancellable(lanes.sweep, 'sweep', { fields, style }, given);
      // The rows, and which of them has the least TTS99 (null when no run found the optimum).
      return Object.assign(rowsOf(result.csv), { least: result.least });
    },
  };

  window.saPage = window.saPage || {};
  window.saPage.core = {
    // A session with what sa.session leaves out: whether it waits for more input.
    session: runSession,
    // A run to step through, from what sa.check returned for its schedule.
    async newRun(checked) {
      const module = await onPage;
      try {
        return new module.SteppedRun(checked);
      } catch (thrown) {
        throw asError(thrown);
      }
    },
    // The first line of sa_study --trace --csv.
    traceHeading: () => onPage.then((module) => module.traceCsvHeading()),
  };
})();
