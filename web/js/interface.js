'use strict';

// window.sa, the page's interface for scripts and tests (doc/web.md), and saPage.core, what
// the page's own views need beside it. Sessions and stepped runs use the module on the page
// itself, since each takes milliseconds; checking a schedule, reading a grid, tracing and
// studying go to workers, since any of them can take seconds on a long schedule or a large
// grid, and the page must never wait.
(function () {
  const onPage = createSaModule();
  const { describe } = window.saPage.messages;

  // A worker's script: the module's factory and saWorkerMain, from their own text.
  let workerUrl = null;
  function workerScript() {
    if (workerUrl === null) {
      const source =
        `'use strict';\nvar _scriptDir;\nvar createSaModule = ${createSaModule.toString()};\n` +
        `${saWorkerMain.toString()}\nsaWorkerMain(self, createSaModule);\n`;
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
      this.worker.terminate();
      this.worker = null;
      request.reject(reason);
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

    receive({ id, result, fault, error, progress }) {
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
    }

    fail(error) {
      for (const request of this.pending.values()) {
        request.reject(error);
      }
      this.pending.clear();
      this.worker = null;
    }
  }

  const lanes = { check: new Lane(), grid: new Lane(), study: new Lane() };

  // The fields as text, as the user would type them; absent ones are left out, so that
  // sa_study's defaults apply.
  const fieldNames = ['seed', 'runs', 't0', 'alpha', 'tFinal', 'trials', 'bits'];
  function fieldsOf(params = {}) {
    const fields = {};
    for (const name of fieldNames) {
      if (params[name] !== undefined && params[name] !== null && params[name] !== '') {
        fields[name] = String(params[name]);
      }
    }
    return fields;
  }

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
    if (!Number.isInteger(second) || second < 0 || second > 0xffffffff) {
      throw new RangeError(`a clock second is a whole number in 0..4294967295, not ${second}`);
    }
    return second;
  }

  function abortError() {
    return new DOMException('the study was cancelled', 'AbortError');
  }

  async function runSession(second, input) {
    const module = await onPage;
    const result = module.session(clockSecond(second), String(input));
    if (result.error !== undefined) {
      throw new Error(result.error);
    }
    return result;
  }

  window.sa = {
    ready: onPage.then(() => undefined),

    async session(second, input = '') {
      return (await runSession(second, input)).text;
    },

    async check(params) {
      const checked = await lanes.check.call('check', fieldsOf(params));
      return checked.fault
        ? { error: describe(checked.fault), fault: checked.fault }
        : { error: '', fault: null, ...checked };
    },

    landscape(bits, columns = 1000) {
      return lanes.grid.call('landscape', { bits, columns });
    },

    async trace(params) {
      return rowsOf(await lanes.grid.call('trace', fieldsOf(params)));
    },

    async study(params, { bins = 100, onProgress, signal } = {}) {
      if (signal && signal.aborted) {
        throw abortError();
      }
      const lane = lanes.study;
      const running = lane.call('study', { fields: fieldsOf(params), bins }, onProgress);
      const abort = () => lane.stop(running.id, abortError());
      if (signal) {
        signal.addEventListener('abort', abort, { once: true });
      }
      try {
        const result = await running;
        return { ...rowsOf(result.csv)[0], csv: result.csv, seed: result.seed,
                 histogram: result.histogram, seconds: result.seconds };
      } finally {
        if (signal) {
          signal.removeEventListener('abort', abort);
        }
      }
    },
  };

  window.saPage = window.saPage || {};
  window.saPage.core = {
    // A session with what sa.session leaves out: whether it waits for more input.
    session: runSession,
    // A run to step through, from what sa.check returned for its schedule.
    async newRun(checked) {
      const module = await onPage;
      return new module.SteppedRun(checked, checked.seed);
    },
    // The first line of sa_study --trace --csv.
    traceHeading: () => onPage.then((module) => module.traceCsvHeading()),
  };
})();
