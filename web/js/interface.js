'use strict';

// window.sa, the page's interface for scripts and tests (doc/web.md), and saPage.core, what
// the page's own views need beside it. Sessions and stepped runs use the module on the page
// itself, since each takes milliseconds; checking a schedule, reading a grid, tracing, studying,
// following a population and sweeping go to workers, since any of them can take seconds on a
// long schedule or a large grid, and the page must never wait.
(function () {
  // The module's WebAssembly, compiled once for the page and every worker. The build carries it
  // inside the module's script as a data URI, so that a page opened from disk fetches nothing.
  const embedded = /data:application\/octet-stream;base64,([A-Za-z0-9+/=]+)/.exec(createSaModule.toString());
  const compiled = WebAssembly.compile(Uint8Array.from(atob(embedded[1]), (c) => c.charCodeAt(0)));
  const onPage = compiled.then((module) => createSaModule(saCompiledModule(module)));
  const { vocabulary } = window.saPage;
  const { describe } = window.saPage.messages;

  // What the module throws when its C++ fails past all checks (a number, the exception's
  // address), as an Error that says so.
  const moduleFailure = 'the page\'s module failed (it may have run out of memory)';
  function asError(thrown) {
    return thrown instanceof Error ? thrown : new Error(moduleFailure);
  }

  // A refusal of the libraries, in sa_study's English, with its fault.
  const refused = (fault) => Object.assign(new Error(describe(fault)), { fault });

  // A worker's script: the module's factory, without the WebAssembly that the worker is handed
  // compiled, and saWorkerMain, from their own text.
  let workerUrl = null;
  function workerScript() {
    if (workerUrl === null) {
      const factory = createSaModule.toString().replace(embedded[1], '');
      const source =
        `'use strict';\nvar _scriptDir;\nvar createSaModule = ${factory};\n${saCompiledModule.toString()}\n` +
        `${saWorkerMain.toString()}\nsaWorkerMain(self, createSaModule, ${JSON.stringify(moduleFailure)});\n`;
      workerUrl = URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
    }
    return workerUrl;
  }

  // How long a lane's idle workers beyond those it keeps stay for another call.
  const lingerMs = 30000;

  // The compiled module once it is, for the workers; or why it could not be compiled.
  const module = { compiled: null, failure: null };

  // Workers for one kind of call, so that a long call never holds up another kind: each request
  // goes to an idle worker, or to a new one while there are fewer than `size`, or waits in a
  // queue. Stopping a request takes it off the queue, or ends the worker that runs it. Of the
  // workers left idle, `keep` stay for the next requests; the others stay a while, for a call
  // that follows soon, then end, and with them the memory that their grids took.
  class Lane {
    constructor(size = 1, keep = size) {
      this.size = size;
      this.keep = keep;
      this.lingering = new Map();  // idle worker beyond `keep` → the timer that ends it
      this.idle = [];
      this.busy = new Map();  // worker → the id of the request it runs
      this.queue = [];  // ids of the requests that wait for a worker
      this.requests = new Map();  // id → {kind, payload, onProgress, resolve, reject, worker}
      this.nextId = 1;
    }

    // The answer's promise, with the request's id for stop().
    call(kind, payload, onProgress) {
      const id = this.nextId++;
      const answer = new Promise((resolve, reject) => {
        this.requests.set(id, { kind, payload, onProgress, resolve, reject, worker: null });
      });
      answer.id = id;
      this.queue.push(id);
      this.dispatch();
      return answer;
    }

    // Settles request `id` with `reason` at once, wherever it stands.
    stop(id, reason) {
      const request = this.requests.get(id);
      if (!request) {
        return;
      }
      this.requests.delete(id);
      if (request.worker) {
        this.retire(request.worker);
      } else {
        this.queue.splice(this.queue.indexOf(id), 1);
      }
      request.reject(reason);
      this.dispatch();
    }

    dispatch() {
      if (module.failure) {
        for (const id of [...this.queue]) {
          this.stop(id, module.failure);
        }
        return;
      }
      if (!module.compiled) {
        return;
      }
      while (this.queue.length > 0) {
        const worker = this.idle.pop() ?? (this.idle.length + this.busy.size < this.size ? this.spawn() : null);
        if (!worker) {
          return;
        }
        clearTimeout(this.lingering.get(worker));
        this.lingering.delete(worker);
        const id = this.queue.shift();
        const request = this.requests.get(id);
        request.worker = worker;
        this.busy.set(worker, id);
        worker.postMessage({ id, kind: request.kind, payload: request.payload });
      }
      for (const worker of this.idle.slice(0, Math.max(0, this.idle.length - this.keep))) {
        if (!this.lingering.has(worker)) {
          this.lingering.set(worker, setTimeout(() => this.retire(worker), lingerMs));
        }
      }
    }

    spawn() {
      const worker = new Worker(workerScript());
      worker.onmessage = (event) => this.receive(worker, event.data);
      worker.onerror = (event) => this.fail(worker, new Error(event.message));
      worker.postMessage({ compiled: module.compiled });
      return worker;
    }

    retire(worker) {
      clearTimeout(this.lingering.get(worker));
      this.lingering.delete(worker);
      worker.terminate();
      this.busy.delete(worker);
      this.idle = this.idle.filter((other) => other !== worker);
    }

    receive(worker, { id, result, fault, error, progress, broken }) {
      const request = this.requests.get(id);
      if (!request) {
        return;
      }
      if (progress !== undefined) {
        // A caller's onProgress that throws ends the call with what it threw.
        try {
          request.onProgress?.(progress);
        } catch (thrown) {
          this.stop(id, thrown);
        }
        return;
      }
      this.requests.delete(id);
      // A module that failed past its checks is not trusted with the next request.
      if (broken) {
        this.retire(worker);
      } else {
        this.busy.delete(worker);
        this.idle.push(worker);
      }
      if (fault !== undefined) {
        request.reject(refused(fault));
      } else if (error !== undefined) {
        request.reject(new Error(error));
      } else {
        request.resolve(result);
      }
      this.dispatch();
    }

    // A worker that failed as a whole: its request rejects with `error`.
    fail(worker, error) {
      const id = this.busy.get(worker);
      this.retire(worker);
      const request = this.requests.get(id);
      if (request) {
        this.requests.delete(id);
        request.reject(error);
      }
      this.dispatch();
    }
  }

  // The ranges the module's arguments lie in, from the libraries' own table.
  const { limits } = vocabulary;

  // A lane for each kind of call. Checks are short but for a schedule of 10^9 levels, which
  // takes seconds to count: the schedule form's three and another view's check run side by side.
  // A study, a population and a sweep are split over as many workers as the caller asks for,
  // each a share of the runs (and of a population's levels); one stays between calls.
  const lanes = {
    check: new Lane(3), grid: new Lane(), trace: new Lane(), study: new Lane(limits.workers.high, 1),
    population: new Lane(limits.workers.high, 1), sweep: new Lane(limits.workers.high, 1),
  };
  compiled.then((done) => {
    module.compiled = done;
  }, (error) => {
    module.failure = new Error(`${moduleFailure}: ${error.message}`);
  }).finally(() => Object.values(lanes).forEach((lane) => lane.dispatch()));

  // ---- The interface's own arguments, each checked before anything runs: a TypeError for a
  // value of the wrong type or an unknown name, a RangeError for one outside its range.

  // A value as a message names it: text as text, so that '5' is not taken for 5, and a number
  // as JavaScript holds it, -0 with its sign.
  function named(value) {
    switch (typeof value) {
      case 'string':
        return `the text ${JSON.stringify(value)}`;
      case 'number':
        return Object.is(value, -0) ? '-0' : String(value);
      case 'bigint':
        return `the BigInt ${value}n`;
      case 'boolean':
      case 'undefined':
        return String(value);
      case 'function':
        return 'a function';
      case 'symbol':
        return 'a symbol';
      default:
        return value === null ? 'null' : Array.isArray(value) ? 'an array' : 'an object';
    }
  }

  const isPlainObject = (value) => typeof value === 'object' && value !== null && !Array.isArray(value);

  // `value`'s own names and values, all among `known`, with nothing inherited; undefined stands
  // for {}.
  function objectOf(what, value, known) {
    if (value === undefined) {
      return Object.create(null);
    }
    if (!isPlainObject(value)) {
      throw new TypeError(`${what} must be an object, not ${named(value)}`);
    }
    for (const name of Object.keys(value)) {
      if (!known.includes(name)) {
        throw new TypeError(`${what} has no '${name}': it takes ${known.join(', ')}`);
      }
    }
    return Object.assign(Object.create(null), value);
  }

  // A whole number within the module's range for `name`.
  function whole(name, value, range) {
    const stated = `${name} must be a whole number from ${range.low} to ${range.high}`;
    if (typeof value !== 'number') {
      throw new TypeError(`${stated}, not ${named(value)}`);
    }
    if (!Number.isInteger(value) || value < range.low || value > range.high) {
      throw new RangeError(`${stated}, not ${named(value)}`);
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
  // What a landscape takes: the fields of its function and interval, and the grid's bits.
  const landscapeParam = 'landscape';
  const landscapeNames = vocabulary.fields.filter((field) => field.page && field.part === 'landscape')
    .map((field) => field.param).concat('bits');
  function fieldsOf(params, style, known = fieldNames) {
    const given = objectOf('params', params, known);
    const fields = {};
    for (const [name, value] of Object.entries(given)) {
      if (value === undefined || value === null || value === '') {
        continue;
      }
      if (typeof value === 'number' && name === landscapeParam) {
        fields[name] = named(value);  // a formula's decimal point is always '.'
      } else if (typeof value === 'number') {
        fields[name] = named(value).replace('.', style.decimalPoint);
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
  function request(params, options, known, paramNames = fieldNames) {
    const given = optionsOf(options, known);
    const style = styleOf(given.numberStyle);
    return { fields: fieldsOf(params, style, paramNames), style, options: given };
  }

  // ---- Calls

  // The rows of a CSV file as objects keyed by its heading: numbers as numbers, other text as
  // text, an empty field as null.
  // A field in quotes, as a landscape's label with a comma comes, is the text within them; a
  // landscape stays text, even a formula that is a number.
  function rowsOf(csv) {
    const [heading, ...lines] = csv.trim().split('\n');
    const names = heading.split(',');
    const valueOf = (text) => (text === '' ? null : Number.isNaN(Number(text)) ? text : Number(text));
    return lines.map((line) => {
      const values = csvFields(line);
      return Object.fromEntries(names.map((name, i) => [name, name === landscapeParam ? values[i] : valueOf(values[i])]));
    });
  }

  // The fields of a CSV line: a field in quotes may hold commas, and "" for a quote.
  function csvFields(line) {
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

  function clockSecond(second) {
    return whole('a clock second', second, { low: 0, high: 0xffffffff });
  }

  function abortError() {
    return new DOMException('the call was cancelled', 'AbortError');
  }

  // A job on a lane that `signal` can cancel: its promise rejects with an AbortError at once,
  // and the job is dropped from the queue or its worker ended.
  async function cancellable(lane, kind, payload, { onProgress, signal } = {}) {
    if (signal?.aborted) {
      throw abortError();
    }
    const running = lane.call(kind, payload, onProgress);
    const abort = () => lane.stop(running.id, abortError());
    signal?.addEventListener('abort', abort, { once: true });
    try {
      return await running;
    } finally {
      signal?.removeEventListener('abort', abort);
    }
  }

  // The progress of parts, each the latest figures it gave, added up figure by figure.
  function addedUp(progresses) {
    const added = {};
    for (const name of Object.keys(progresses[0])) {
      added[name] = progresses.reduce((sum, seen) => sum + seen[name], 0);
    }
    return added;
  }

  // A call split into parts, each on a worker of `lane`: its answers in the parts' order. The
  // caller's `onProgress` is told what `combine` makes of the parts' progress, once every part
  // has said how much it has to do; a stop or a failure of any part ends them all.
  async function pooled(lane, kind, payloads, { onProgress, signal } = {}, combine = addedUp) {
    if (signal?.aborted) {
      throw abortError();
    }
    const progress = payloads.map(() => null);
    const reportOf = (part) => onProgress && ((reported) => {
      progress[part] = { ...progress[part], ...reported };
      if (progress.every((seen) => seen !== null)) {
        onProgress(combine(progress));
      }
    });
    const parts = payloads.map((payload, part) => lane.call(kind, payload, reportOf(part)));
    const stopAll = (reason) => parts.forEach((part) => lane.stop(part.id, reason));
    parts.forEach((part) => part.catch(() => {}));  // the first failure is the call's
    const abort = () => stopAll(abortError());
    signal?.addEventListener('abort', abort, { once: true });
    try {
      return await Promise.all(parts);
    } catch (thrown) {
      stopAll(thrown);
      throw thrown;
    } finally {
      signal?.removeEventListener('abort', abort);
    }
  }

  // A population's progress over its shares: the runs while any share still runs them (a share
  // on to its levels has run all of its own), then the levels whose equilibrium is found.
  function populationProgress(progresses) {
    if (progresses.every((seen) => 'levelsDone' in seen)) {
      return addedUp(progresses.map(({ levelsDone, levels }) => ({ levelsDone, levels })));
    }
    return addedUp(progresses.map((seen) =>
      ({ runsDone: 'levelsDone' in seen ? seen.runs : seen.runsDone, runs: seen.runs })));
  }

  // The workers a call splits its runs over unless told: one a core, within the module's range.
  const defaultWorkers = Math.min(Math.max(navigator.hardwareConcurrency || 1, limits.workers.low),
    limits.workers.high);

  // What the page's module makes of the parts' answers: the whole they add up to.
  async function merged(merge, parts) {
    const onPageModule = await onPage;
    try {
      return onPageModule[merge](parts);
    } catch (thrown) {
      throw asError(thrown);
    }
  }

  // `promise`, or an AbortError at once when `signal` aborts first: for a wait that is the
  // caller's alone, such as sa.experiment's for the page's fields.
  function abortable(promise, signal) {
    if (!signal) {
      return promise;
    }
    return new Promise((resolve, reject) => {
      const abort = () => reject(abortError());
      if (signal.aborted) {
        abort();
        return;
      }
      signal.addEventListener('abort', abort, { once: true });
      const settle = (then) => (value) => {
        signal.removeEventListener('abort', abort);
        then(value);
      };
      promise.then(settle(resolve), settle(reject));
    });
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
      const { fields, style, options: given } = request(params, options, ['numberStyle', 'signal']);
      const checked = await cancellable(lanes.check, 'check', { fields, style }, given);
      return checked.fault
        ? { error: describe(checked.fault), fault: checked.fault }
        : { error: '', fault: null, ...checked };
    },

    async landscape(params, options) {
      const { fields, style, options: given } =
        request(params, options, ['columns', 'onProgress', 'signal', 'numberStyle'], landscapeNames);
      const columns = whole('columns', given.columns ?? 1000, limits.columns);
      return cancellable(lanes.grid, 'landscape', { fields, style, columns }, given);
    },

    async trace(params, options) {
      const { fields, style, options: given } = request(params, options, ['numberStyle', 'signal']);
      return rowsOf(await cancellable(lanes.trace, 'trace', { fields, style }, given));
    },

    async study(params, options) {
      const { fields, style, options: given } =
        request(params, options, ['bins', 'onProgress', 'signal', 'numberStyle', 'workers']);
      const bins = whole('bins', given.bins ?? 100, limits.bins);
      const workers = whole('workers', given.workers ?? defaultWorkers, limits.workers);
      const began = performance.now();
      const { parts } = await cancellable(lanes.check, 'plan', { fields, style, workers }, { signal: given.signal });
      const done = await pooled(lanes.study, 'study', parts.map((plan) => ({ plan, bins })), given);
      const result = await merged('mergeStudy', done);
      return { ...rowsOf(result.csv)[0], csv: result.csv, seed: done[0].seed,
               histogram: result.histogram, hills: result.hills, seconds: (performance.now() - began) / 1000 };
    },

    async population(params, options) {
      const { fields, style, options: given } =
        request(params, options, ['bins', 'onProgress', 'signal', 'numberStyle', 'workers']);
      const bins = whole('bins', given.bins ?? 100, limits.bins);
      const workers = whole('workers', given.workers ?? defaultWorkers, limits.workers);
      const { signal } = given;
      const { plan, parts } = await cancellable(lanes.check, 'plan', { fields, style, workers }, { signal });
      const shares = parts.map((_, share) => ({ plan, bins, share, shares: parts.length }));
      const done = await pooled(lanes.population, 'populationPart', shares, given, populationProgress);
      const result = await cancellable(lanes.population, 'mergePopulation', { plan, bins, parts: done }, { signal });
      return rowsOf(result.csv).map((row, i) =>
        ({ ...row, histogram: result.histogram[i], boltzmann: result.boltzmann[i] }));
    },

    async sweep(params, options) {
      const { fields, style, options: given } =
        request(params, options, ['onProgress', 'signal', 'numberStyle', 'workers']);
      const workers = whole('workers', given.workers ?? defaultWorkers, limits.workers);
      const { parts } = await cancellable(lanes.check, 'splitSweep', { fields, style, workers }, { signal: given.signal });
      const done = await pooled(lanes.sweep, 'sweep', parts.map((part) => ({ fields: part, style })), given);
      const result = await merged('mergeSweep', done.map((part) => part.csv));
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
    // One field's text, by that field's own rules (`oneValue`: as one value, not a list):
    // null, or its fault.
    async checkValue(param, text, numberStyle, oneValue) {
      const checked = await lanes.check.call('checkValue', { param, text, style: styleOf(numberStyle), oneValue });
      return checked.fault ?? null;
    },
    // The fields of a sweep planned as sa.sweep would run them: null, or the fault.
    async checkSweep(params, numberStyle) {
      const style = styleOf(numberStyle);
      const checked = await lanes.check.call('checkSweep', { fields: fieldsOf(params, style), style });
      return checked.fault ?? null;
    },
    // A call's options, checked as window.sa checks them.
    options: optionsOf,
    // A whole number within `range`, as window.sa checks one.
    whole,
    abortable,
    refused,
  };
})();
