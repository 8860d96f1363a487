'use strict';

// The page's address holds the experiment, so that a link hands it on: each field under its
// key in saPage.vocabulary (sa_study's option without dashes), the sweep's under 'sweep-' and
// the key, written in English style whatever the language, plus lang, the lesson's step by its
// id, and present=1 in presenter mode. Opening the address restores them (a step also by the number older links give it), by
// the link's rules: only the page's own keys and values are taken, a key that comes again keeps
// its first value, and each value is read by its field's own rules in the libraries. What a link
// loses is told, as notes.
(function () {
  const { vocabulary, core } = window.saPage;
  // The page's own keys, beside the fields'.
  const pageKeys = ['lang', 'step', 'present'];
  const fieldKeys = vocabulary.fields.filter((field) => field.page).map((field) => field.key);
  const paramOfKey = Object.fromEntries(vocabulary.fields.map((field) => [field.key, field.param]));
  const sweepPrefix = 'sweep-';
  // How a link writes numbers, in every language; and the decimal comma a link must not have.
  const linkStyle = { decimalPoint: '.', listSeparator: ',' };
  const commaStyle = { decimalPoint: ',', listSeparator: ';' };

  // Commas and colons stay readable in a list or a range.
  const encoded = (text) => encodeURIComponent(text).replace(/%2C/g, ',').replace(/%3A/g, ':');

  // The first value of each key, in the link's order; a key that comes again is noted.
  function firstValues(query, known, notes) {
    const values = new Map();
    for (const [key, value] of query) {
      if (!known.includes(key)) {
        notes.push({ kind: 'unknownKey', key, value });
      } else if (values.has(key)) {
        notes.push({ kind: 'repeatedKey', key, value });
      } else {
        values.set(key, value);
      }
    }
    return values;
  }

  // Why a field's value from a link is refused, as a note; null when it is taken. A schedule's
  // field takes one value, a sweep's a list.
  async function valueNote(key, value) {
    const param = paramOfKey[key.startsWith(sweepPrefix) ? key.slice(sweepPrefix.length) : key];
    const oneValue = fieldKeys.includes(key);
    const fault = await core.checkValue(param, value, linkStyle, oneValue);
    if (fault === null) {
      return null;
    }
    if (value.includes(',') && (await core.checkValue(param, value, commaStyle, oneValue)) === null) {
      return { kind: 'decimalComma', key, value };
    }
    return { kind: 'value', key, value, fault };
  }

  const address = {
    // What the address holds: {keys, values, lang, step, present, notes}, `keys` those the page
    // reads.
    // `values` maps each field's key to its text, not yet checked (see checkValues); lang and
    // step (from 0) are null where the link has none that the page takes. `sweepKeys` are the
    // sweep's keys, `languages` the page's, and `stepOf` gives the step of a link's text, or null.
    read({ sweepKeys, languages, stepOf }) {
      const notes = [];
      const keys = [...fieldKeys, ...sweepKeys, ...pageKeys];
      const values = firstValues(new URLSearchParams(window.location.search), keys, notes);
      const taken = (key, ok) => {
        const value = values.get(key);
        values.delete(key);
        if (value !== undefined && !ok(value)) {
          notes.push({ kind: key, key, value });
          return null;
        }
        return value ?? null;
      };
      const lang = taken('lang', (value) => languages.includes(value));
      const step = taken('step', (value) => stepOf(value) !== null);
      const present = taken('present', (value) => value === '1' || value === '0');
      return { keys, values, lang, step: step === null ? null : stepOf(step), present: present === '1', notes };
    },

    // The values of `link` that their fields' rules take, as a Map; each refused is noted in
    // link.notes. An empty value leaves its field empty, for its default.
    async checkValues(link) {
      const given = [...link.values].filter(([, value]) => value !== '');
      const notes = await Promise.all(given.map(([key, value]) => valueNote(key, value)));
      link.notes.push(...notes.filter((note) => note !== null));
      return new Map(given.filter((_, i) => notes[i] === null));
    },

    // Rewrites the address in place, adding no entry to the history.
    write({ values, lang, step, present }) {
      const pairs = Object.entries(values).map(([key, value]) => `${key}=${encoded(value)}`);
      pairs.push(`lang=${lang}`, `step=${step}`, ...(present ? ['present=1'] : []));
      window.history.replaceState(null, '', `?${pairs.join('&')}${window.location.hash}`);
    },
  };

  window.saPage.address = address;
})();
