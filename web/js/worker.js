'use strict';

// The module's options that make it of `compiled`, its WebAssembly already compiled, rather than
// compile its own: for the page and each of its workers.
function saCompiledModule(compiled) {
  return {
    instantiateWasm: (imports, receive) => {
      WebAssembly.instantiate(compiled, imports).then((instance) => receive(instance, compiled));
      return {};
    },
  };
}

// The body of the page's workers. A page opened from disk may not start a worker from a file,
// so interface.js builds each worker from this function's text and the module's. The first
// message is the module's WebAssembly, compiled once by the page: {compiled}.
// Each request is {id, kind, payload}; the worker answers {id, result}, {id, fault} for fields
// that the libraries refuse, or {id, error}, and a long job also {id, progress} as it goes.
// Any other error (the module failed past its checks, or aborted) comes as {id, error,
// broken: true}: the worker is then replaced.
function saWorkerMain(scope, createSaModule, moduleFailure) {
  let loaded = null;

  // Fields refused by the libraries, for the page to put into words.
  class Refused {
    constructor(fault) {
      this.fault = fault;
    }
  }

  // What a call that may be refused as a whole returns, once it is not.
  function accepted(result) {
    if (result.fault) {
      throw new Refused(result.fault);
    }
    return result;
  }

  // The plan of the one schedule that the fields hold; refused otherwise.
  const planned = (sa, { fields, style }) => accepted(sa.planSchedule(fields, style, 1));

  // Trials a study makes between two reports of its progress: a tenth of a second or so.
  const trialsPerChunk = 400000;

  // The runs of one part of a study: `plan` is one of those planSchedule split it into.
  function runStudy(sa, { plan, bins }, report) {
    const job = new sa.StudyJob({ plan });
    try {
      const runs = job.runs();
      report({ runsDone: 0, runs });
      const trialsPerRun = job.trialsPerRun();
      const runsPerChunk = Math.max(1, Math.floor(trialsPerChunk / trialsPerRun));
      while (job.runsDone() < runs) {
        const before = job.runsDone();
        // A chunk of long runs reports the trials it has made so far.
        job.runChunk(runsPerChunk, (made) => report({ runsDone: before + made / trialsPerRun, runs }));
        report({ runsDone: job.runsDone(), runs });
      }
      const result = job.result(bins);
      result.seed = job.seed();
      return result;
    } finally {
      job.delete();
    }
  }

  const handlers = {
    check: (sa, { fields, style }) => sa.checkSchedule(fields, style),
    plan: (sa, { fields, style, workers }) => accepted(sa.planSchedule(fields, style, workers)),
    splitSweep: (sa, { fields, style, workers }) => accepted(sa.splitSweep(fields, style, workers)),
    checkValue: (sa, { param, text, style, oneValue }) => sa.checkValue(param, text, style, oneValue),
    checkSweep: (sa, { fields, style }) => sa.checkSweep(fields, style),
    landscape: (sa, { fields, style, columns }, report) => accepted(sa.landscape(fields, style, columns, report)),
    trace: (sa, { fields, style }) => sa.trace(accepted(sa.planTrace(fields, style))),
    study: runStudy,
    populationPart: (sa, { plan, bins, share, shares }, report) =>
      accepted(sa.populationPart({ plan }, bins, share, shares, report)),
    mergePopulation: (sa, { plan, bins, parts }) => sa.mergePopulation({ plan }, bins, parts),
    sweep: (sa, { fields, style }, report) =>
      accepted(sa.sweep(fields, style, (trialsDone, trials) => report({ trialsDone, trials }))),
  };

  scope.onmessage = async (event) => {
    if (event.data.compiled) {
      loaded = createSaModule(saCompiledModule(event.data.compiled));
      return;
    }
    const { id, kind, payload } = event.data;
    const sa = await loaded;
    try {
      // Progress ({done, total}, under each call's names) goes out at most every 50 ms, but for
      // the first report and the last, which a view and a pool of workers wait for.
      let reported = -Infinity;
      const report = (progress) => {
        const [done, total] = Object.values(progress);
        const now = performance.now();
        if (now - reported >= 50 || done === total) {
          reported = now;
          scope.postMessage({ id, progress });
        }
      };
      scope.postMessage({ id, result: handlers[kind](sa, payload, report) });
    } catch (error) {
      if (error instanceof Refused) {
        scope.postMessage({ id, fault: error.fault });
      } else {
        // A C++ exception comes as its address, a number, which says nothing.
        scope.postMessage({ id, error: error instanceof Error ? error.message : moduleFailure, broken: true });
      }
    }
  };
}
