'use strict';

// The page's language: its words (texts.js), how it writes numbers, and how its fields take
// them. English writes 0.97 and lists as 1,2; Portuguese 0,97 and 1;2, and the libraries read
// the fields in that style. A view that shows words registers with onChange and shows them
// again when the language changes.
(function () {
  const { texts } = window.saPage;
  const styles = {
    en: { decimalPoint: '.', listSeparator: ',' },
    pt: { decimalPoint: ',', listSeparator: ';' },
  };
  // European Portuguese: thousands grouped by a space from five digits on (10 000, but 1000).
  const locales = { en: 'en', pt: 'pt-PT' };
  const listeners = [];
  let current = 'en';

  // The first of the browser's languages that the page speaks, or English.
  function browserLanguage() {
    for (const tag of navigator.languages || [navigator.language || '']) {
      const lang = tag.slice(0, 2).toLowerCase();
      if (Object.hasOwn(texts, lang)) {
        return lang;
      }
    }
    return 'en';
  }

  // A field's text in another number style: decimal points and list separators swapped.
  function restyle(text, from, to) {
    const other = { [from.decimalPoint]: to.decimalPoint, [from.listSeparator]: to.listSeparator };
    return [...text].map((c) => other[c] ?? c).join('');
  }

  const keepsStyle = (input) => 'formula' in input.dataset;

  function t(key, ...args) {
    const entry = texts[current][key] ?? texts.en[key];
    return typeof entry === 'function' ? entry(...args) : entry;
  }

  function showStaticTexts() {
    for (const element of document.querySelectorAll('[data-i18n]')) {
      element.innerHTML = t(element.dataset.i18n);
    }
    for (const element of document.querySelectorAll('[data-i18n-attr]')) {
      for (const pair of element.dataset.i18nAttr.split(';')) {
        const [attribute, key] = pair.split(':');
        element.setAttribute(attribute, t(key));
      }
    }
    for (const input of document.querySelectorAll('[data-placeholder]')) {
      input.placeholder = restyle(input.dataset.placeholder, styles.en, styles[current]);
    }
    document.title = t('pageTitle');
    for (const button of document.querySelectorAll('[data-lang]')) {
      button.setAttribute('aria-pressed', String(button.dataset.lang === current));
    }
  }

  // Numbers as the language writes them; a minus as a minus sign.
  const withSign = (text) => text.replace('-', '−');
  // Numbers in a text written with an exponent (1e-06, 2,5e+30) as powers of ten (10⁻⁶,
  // 2,5·10³⁰), as the axes write them.
  const superscripts = '⁰¹²³⁴⁵⁶⁷⁸⁹';
  const powersOfTen = (text) => text.replace(/(\d+(?:[.,]\d+)?)e([+-]?)(\d+)/g, (all, mantissa, sign, digits) => {
    const power = `10${sign === '-' ? '⁻' : ''}${[...String(Number(digits))].map((d) => superscripts[d]).join('')}`;
    return mantissa === '1' ? power : `${mantissa}·${power}`;
  });
  const format = {
    // A whole number with its thousands grouped.
    whole: (n) => Math.round(n).toLocaleString(locales[current]),
    fixed: (n, digits) => withSign(n.toLocaleString(locales[current],
      { minimumFractionDigits: digits, maximumFractionDigits: digits, useGrouping: false })),
    // Rounded to `digits` significant digits, without an exponent: for figures of rough precision.
    significant: (n, digits) => withSign(Number(n.toPrecision(digits)).toLocaleString(locales[current],
      { maximumFractionDigits: 20 })),
    precise: (n, digits) => withSign(n.toPrecision(digits).replace('.', styles[current].decimalPoint)),
    percent: (share, digits = 1) => `${format.fixed(100 * share, digits)} %`,
    // The shortest text that is the number, as a field takes it but for an exponent, written as
    // a power of ten.
    plain: (n) => withSign(powersOfTen(restyle(String(n), styles.en, styles[current]))),
    powersOfTen,
  };

  const language = {
    get current() {
      return current;
    },
    t,
    format,
    // What the libraries need to read the fields: see doc/web.md.
    numberStyle: () => ({ ...styles[current] }),
    // A field's text from the language's style into English's, and back.
    toEnglish: (text) => restyle(text, styles[current], styles.en),
    fromEnglish: (text) => restyle(text, styles.en, styles[current]),
    // The same for an input's text; a formula's (an input marked data-formula) is the same in
    // every language, its ',' separating arguments and its '.' a decimal point.
    inputToEnglish: (input) => (keepsStyle(input) ? input.value : language.toEnglish(input.value)),
    setInputFromEnglish(input, text) {
      input.value = keepsStyle(input) ? text : language.fromEnglish(text);
    },
    // The languages the page speaks.
    languages: Object.keys(texts),
    browserLanguage,
    onChange(listener) {
      listeners.push(listener);
    },
    // Shows the page in `lang`; the fields keep their values, rewritten in its style.
    set(lang, fields = []) {
      const before = styles[current];
      current = lang;
      document.documentElement.lang = lang;
      for (const input of fields.filter((field) => !keepsStyle(field))) {
        input.value = restyle(input.value, before, styles[lang]);
      }
      showStaticTexts();
      for (const listener of listeners) {
        listener(lang);
      }
    },
  };

  window.saPage.language = language;
})();
