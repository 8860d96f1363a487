'use strict';

// The page's words for a value that the libraries refused. A fault comes as a plain object
// ({kind, field, value, shown, limit}, see doc/web.md) and is put into words by a table for
// each language, keyed by the fault's kind; the strings in it are already shown as messages
// show them. The English table says what sa_study says, and names a field by its option.
(function () {
  const english = {
    fields: {
      seed: '--seed', runs: '--runs', t0: '--t0', alpha: '--alpha', tFinal: '--t-final',
      trials: '--trials', bits: '--bits', firstRun: '--first-run', jobs: '--jobs',
      cooling: '--cooling', levels: '--levels', target: '--target',
    },
    kinds: {
      missing_value: (f, name) => `${name} needs a value`,
      empty_item: (f, name) => `${name}: an empty item in ${f.shown}`,
      range_shape: (f, name) => `${name}: a range is start:stop:step in ${f.shown}`,
      stop_below_start: (f, name) => `${name}: stop below start in ${f.shown}`,
      bad_step: (f, name) => `${name}: step ${f.value} in ${f.shown}`,
      too_many_values: (f, name) => `${name}: more than ${f.limit} values in ${f.shown}`,
      not_a_number: (f, name) => `${name}: ${f.shown} is not a number`,
      not_finite: (f, name) => `${name}: ${f.shown} is not a finite number`,
      not_whole: (f, name) => `${name}: ${f.shown} is not a decimal whole number`,
      unrepresentable: (f, name) => `${name}: ${f.shown} is out of range`,
      too_large: (f, name) => `${name}: ${f.shown} is out of range (at most ${f.limit})`,
      not_positive: (f, name) => `${name}: must be positive, not ${f.shown}`,
      rounds_to_zero: (f, name) => `${name}: ${f.shown} rounds to 0 in single precision`,
      not_a_factor: (f, name) => `${name}: must be between 0 and 1, not ${f.shown}`,
      rounds_to_one: (f, name) =>
        `${name}: ${f.shown} rounds to 1 in single precision (the largest below 1 is ${f.limit})`,
      out_of_range: (f, name) => `${name} must be ${f.limit}, not ${f.shown}`,
      not_one_number: (f, name) => `${name} takes one number, not ${f.shown}`,
      bad_acceptance: (f, name) => `${name} auto:CHI needs an acceptance between 0 and 1, not ${f.shown}`,
      unknown_law: (f, name) => `${name}: ${f.shown} is no cooling law (${f.limit})`,
      alpha_without_law: (f, name) => `${name} sets ${f.limit} cooling, which --cooling leaves out`,
      levels_without_law: (f, name) => `${name} sets ${f.limit} cooling, not ${f.shown} (see --cooling)`,
      // The page's own cap is one schedule.
      too_many_schedules: (f) => (f.limit === '1'
        ? 'the page runs one schedule at a time: give one value, not a list'
        : `the lists make ${f.shown} schedules, more than the ${f.limit} a sweep may hold`),
      too_many_runs: (f, name) => `${name} must be at most ${f.limit} on this page`,
      too_many_trials: (f) => `the schedules make ${f.shown} trials in all, more than the ${f.limit} this page makes at a time`,
      no_level: (f) => `T0 must lie above the final T, so that the schedule has a level (T0 ${f.shown}, final T ${f.limit})`,
      run_too_long: (f) => `${f.value}: about ${f.shown} trials per run, more than the ${f.limit} a run may make`,
      no_worsening_move: (f) => `no move worsens the value in a sample of ${f.limit} moves on ${f.shown} bits, ` +
        'so no temperature can be chosen from it',
      past_last_run: (f) => `runs ${f.value} to ${f.shown} go past run ${f.limit}, after which the seeds repeat`,
      population_too_large: (f) => `${f.value}: ${f.shown}, more than the ${f.limit} that --population follows`,
    },
  };

  // The fault in the words of `table`.
  function describe(fault, table = english) {
    const name = fault.field === null ? '' : table.fields[fault.field];
    return table.kinds[fault.kind](fault, name);
  }

  window.saPage = window.saPage || {};
  window.saPage.messages = { english, describe };
})();
