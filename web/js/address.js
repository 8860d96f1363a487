'use strict';

// The page's address holds the experiment, so that a link hands it on: each field under its
// own name (sa_study's option without dashes: t0, alpha, t-final, trials, bits, seed, runs, and
// the sweep's sweep-t0, sweep-alpha, sweep-t-final), written in English style whatever the
// language, plus lang and the lesson's step (from 1). Opening the address restores them all.
(function () {
  // Commas and colons stay readable in a list or a range.
  const encoded = (text) => encodeURIComponent(text).replace(/%2C/g, ',').replace(/%3A/g, ':');

  const address = {
    // What the address holds: {values, lang, step}, each as found (null when absent).
    read() {
      const query = new URLSearchParams(window.location.search);
      const values = {};
      for (const [key, value] of query) {
        if (key !== 'lang' && key !== 'step') {
          values[key] = value;
        }
      }
      const step = Number.parseInt(query.get('step'), 10);
      return { values, lang: query.get('lang'), step: Number.isInteger(step) ? step - 1 : null };
    },

    // Rewrites the address in place, adding no entry to the history.
    write({ values, lang, step }) {
      const pairs = Object.entries(values).map(([key, value]) => `${key}=${encoded(value)}`);
      pairs.push(`lang=${lang}`, `step=${step + 1}`);
      window.history.replaceState(null, '', `?${pairs.join('&')}${window.location.hash}`);
    },
  };

  window.saPage.address = address;
})();
