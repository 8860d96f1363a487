'use strict';

// The page's words for a value that the libraries refused. A fault comes as a plain object
// ({kind, field, value, shown, limit}, see doc/web.md) and is put into words by a table for
// each language, keyed by the fault's kind (js/vocabulary.js lists them); the strings in it are
// already shown as messages show them. The English table says what sa_study says, and names a
// field by its option; the Portuguese one says the same in Portuguese.
(function () {
  const { vocabulary } = window.saPage;
  // A field's option, by its name in the interface.
  const optionOf = Object.fromEntries(vocabulary.fields.map((field) => [field.param, field.option]));
  const { formulas } = vocabulary;

  // A value as sa_study quotes it: in single quotes, cut to 40 bytes, control characters as '?'.
  const bytes = (text) => new TextEncoder().encode(text);
  function quoted(text) {
    const whole = bytes(text);
    const cut = whole.length > 40 ? `${new TextDecoder().decode(whole.slice(0, 37))}...` : text;
    return `'${cut.replace(/[\x00-\x1f\x7f]/g, '?')}'`;
  }

  // A refused formula in the words of `words`: its reason's words, keyed by the reason's name,
  // after the option and the formula quoted, and where it goes wrong (`place`, from the fault's
  // position, counted from 1 as a reader counts, or the end).
  function formulaMessage(f, name, words) {
    const atEnd = (f.position ?? 0) >= bytes(f.value).length;
    const place = atEnd ? words.atEnd : words.atCharacter((f.position ?? 0) + 1);
    if (f.limit === 'too_long') {
      return `${name}: ${words.reasons.too_long}`;
    }
    const said = words.reasons[f.limit];
    const reason = typeof said === 'function' ? said(f.shown, place) : said ?? f.limit;
    return `${name}: ${quoted(f.value)}: ${reason}`;
  }

  const englishFormulas = {
    atEnd: 'at the end',
    atCharacter: (n) => `at character ${n}`,
    reasons: {
      too_long: `a formula holds at most ${formulas.maxLength} characters`,
      empty: 'holds no formula',
      too_deep: (found, place) => `nests more than ${formulas.maxNesting} deep ${place}`,
      unexpected_character: (found, place) => `${found} ${place} has no place in a formula`,
      bad_number: (found, place) => `${found} ${place} is not a number`,
      unknown_name: (found, place) => `${found} ${place} is neither x, pi, e, a function ` +
        `(${formulas.functions.join(', ')}) nor a landscape (${formulas.landscapes.join(', ')})`,
      expected_value: (found, place) => `a value is missing ${place}`,
      expected_operator: (found, place) => `an operator is missing before ${found} ${place} (a product needs *)`,
      expected_parenthesis: (found, place) => `a ( is missing ${place}`,
      unclosed: (found, place) => `the ( ${place} is never closed`,
      unopened: (found, place) => `the ) ${place} closes nothing`,
      no_points_prefix: `a drawing starts with ${formulas.drawnPrefix}`,
      too_few_points: 'a drawing needs 2 points or more',
      too_many_points: (found, place) => `a drawing holds at most ${formulas.maxPoints} points, and another starts ${place}`,
      not_increasing: (found, place) => `the point ${place} does not lie right of the one before`,
      wrong_arguments: (found, place) => `${found} ${place} takes the wrong number of arguments: min and max two or ` +
        'more, the others one',
    },
  };

  const portugueseFormulas = {
    atEnd: 'no fim',
    atCharacter: (n) => `no carácter ${n}`,
    reasons: {
      too_long: `uma fórmula tem no máximo ${formulas.maxLength} caracteres`,
      empty: 'não tem fórmula',
      too_deep: (found, place) => `encaixa mais de ${formulas.maxNesting} níveis ${place}`,
      unexpected_character: (found, place) => `${found} ${place} não tem lugar numa fórmula`,
      bad_number: (found, place) => `${found} ${place} não é um número`,
      unknown_name: (found, place) => `${found} ${place} não é x, pi, e, uma função ` +
        `(${formulas.functions.join(', ')}) nem uma paisagem (${formulas.landscapes.join(', ')})`,
      expected_value: (found, place) => `falta um valor ${place}`,
      expected_operator: (found, place) => `falta um operador antes de ${found} ${place} (um produto precisa de *)`,
      expected_parenthesis: (found, place) => `falta um ( ${place}`,
      unclosed: (found, place) => `o ( ${place} nunca é fechado`,
      unopened: (found, place) => `o ) ${place} não fecha nada`,
      no_points_prefix: `um desenho começa por ${formulas.drawnPrefix}`,
      too_few_points: 'um desenho precisa de 2 pontos ou mais',
      too_many_points: (found, place) => `um desenho tem no máximo ${formulas.maxPoints} pontos, e outro começa ${place}`,
      not_increasing: (found, place) => `o ponto ${place} não fica à direita do anterior`,
      wrong_arguments: (found, place) => `${found} ${place} leva um número errado de argumentos: min e max dois ou ` +
        'mais, as outras um',
    },
  };

  const english = {
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
      bad_chi: (f, name) => `${name} auto:CHI needs an acceptance between 0 and 1, not ${f.shown}`,
      automatic_in_list: (f, name) => `${name}: auto chooses one temperature alone, not in a list: ${f.shown}`,
      unknown_law: (f, name) => `${name}: ${f.shown} is no cooling law (${f.limit})`,
      unknown_acceptance: (f, name) => `${name}: ${f.shown} is no acceptance rule (${f.limit})`,
      alpha_without_law: (f, name) => `${name} sets ${f.limit} cooling, which --cooling leaves out`,
      levels_without_law: (f, name) => `${name} sets ${f.limit} cooling, not ${f.shown} (see --cooling)`,
      // The page's own cap is one schedule.
      too_many_schedules: (f) => (f.limit === '1'
        ? 'the page runs one schedule at a time: give one value, not a list'
        : `the lists make ${f.shown} schedules, more than the ${f.limit} a sweep may hold`),
      too_many_runs: (f, name) => `${name} must be at most ${f.limit} on this page`,
      // The page's own cap, the same for a study of one schedule and for a sweep.
      too_many_trials: (f) => `the runs asked for make ${f.shown} trials in all, more than the ${f.limit} that the ` +
        'page makes in one go: ask for fewer runs or shorter schedules',
      no_level: (f) => `T0 must lie above the final T, so that the schedule has a level (T0 ${f.shown}, final T ${f.limit})`,
      run_too_long: (f) => `${f.value}: about ${f.shown} trials per run, more than the ${f.limit} a run may make`,
      no_worsening_move: (f) => `no move worsens the value in a sample of ${f.limit} moves on ${f.shown} bits, ` +
        'so no temperature can be chosen from it',
      past_last_run: (f) => `runs ${f.value} to ${f.shown} go past run ${f.limit}, after which the seeds repeat`,
      population_too_large: (f) => `${f.value}: ${f.shown}, more than the ${f.limit} that --population follows`,
      bad_formula: (f, name) => formulaMessage(f, name, englishFormulas),
      not_finite_on_grid: (f, name) => `${name}: ${quoted(f.value)} is not finite at x = ${f.shown} (on ${f.limit} bits)`,
      empty_interval: (f) => `--x-max must lie above --x-min (x-min ${f.limit}, x-max ${f.shown})`,
      grid_too_fine: (f) => `${f.value} bits on ${f.shown}: the grid's points are not distinct in single precision`,
    },
  };

  const wholeInPortuguese = new Intl.NumberFormat('pt-PT');

  // The limits and schedules that faults carry come in sa_study's English; in Portuguese their
  // words are translated and their numbers written with a decimal comma.
  const portugueseWords = [
    [/\bfrom (\S+) to (\S+)/g, 'de $1 a $2'], [/\btrials per level\b/g, 'tentativas por nível'],
    [/\btrial per level\b/g, 'tentativa por nível'], [/\bfinal T\b/g, 'T final'], [/\balpha\b/g, 'alfa'],
    [/\blinear cooling\b/g, 'arrefecimento linear'], [/\bLundy-Mees cooling\b/g, 'arrefecimento de Lundy-Mees'],
    [/\bcontinuous acceptance\b/g, 'aceitação contínua'], [/\bgeometric\b/g, 'geométrico'], [/\blinear\b/g, 'linear'], [/ or /g, ' ou '], [/ and /g, ' e '],
    [/\bgrid points over all levels\b/g, 'pontos da grelha em todos os níveis'],
    [/\bgrid points\b/g, 'pontos da grelha'], [/\blevels\b/g, 'níveis'], [/\babout\b/g, 'cerca de'],
    [/ of /g, ' de '],
    // Whole numbers grouped by thousands as European Portuguese groups them (Intl's pt-PT, as
    // the page's panels write them), then a decimal comma.
    [/\b\d{1,3}(?:,\d{3})+(?!\d)/g, (grouped) => wholeInPortuguese.format(Number(grouped.replaceAll(',', '')))],
    [/(\d)\.(?=\d)/g, '$1,'],
  ];
  const inPortuguese = (text) => portugueseWords.reduce((words, [pattern, to]) => words.replace(pattern, to), text);

  const portuguese = {
    kinds: {
      missing_value: (f, name) => `${name} precisa de um valor`,
      empty_item: (f, name) => `${name}: um item vazio em ${f.shown}`,
      range_shape: (f, name) => `${name}: um intervalo escreve-se início:fim:passo, em ${f.shown}`,
      stop_below_start: (f, name) => `${name}: fim abaixo do início em ${f.shown}`,
      bad_step: (f, name) => `${name}: passo ${f.value} em ${f.shown}`,
      too_many_values: (f, name) => `${name}: mais de ${inPortuguese(f.limit)} valores em ${f.shown}`,
      not_a_number: (f, name) => `${name}: ${f.shown} não é um número`,
      not_finite: (f, name) => `${name}: ${f.shown} não é um número finito`,
      not_whole: (f, name) => `${name}: ${f.shown} não é um número inteiro decimal`,
      unrepresentable: (f, name) => `${name}: ${f.shown} está fora do intervalo`,
      too_large: (f, name) => `${name}: ${f.shown} está fora do intervalo (no máximo ${f.limit})`,
      not_positive: (f, name) => `${name}: tem de ser positivo, não ${f.shown}`,
      rounds_to_zero: (f, name) => `${name}: ${f.shown} arredonda para 0 em precisão simples`,
      not_a_factor: (f, name) => `${name}: tem de estar entre 0 e 1, não ${f.shown}`,
      rounds_to_one: (f, name) =>
        `${name}: ${f.shown} arredonda para 1 em precisão simples (o maior abaixo de 1 é ${inPortuguese(f.limit)})`,
      out_of_range: (f, name) => `${name} tem de estar ${inPortuguese(f.limit.replace(/^from (\S+) to (\S+)$/, 'entre $1 e $2'))}, não ${f.shown}`,
      not_one_number: (f, name) => `${name} leva um número, não ${f.shown}`,
      bad_chi: (f, name) => `${name} auto:CHI precisa de uma aceitação entre 0 e 1, não ${f.shown}`,
      automatic_in_list: (f, name) => `${name}: auto escolhe uma só temperatura, não numa lista: ${f.shown}`,
      unknown_law: (f, name) => `${name}: ${f.shown} não é uma lei de arrefecimento (${inPortuguese(f.limit)})`,
      unknown_acceptance: (f, name) => `${name}: ${f.shown} não é uma regra de aceitação (${inPortuguese(f.limit)})`,
      alpha_without_law: (f, name) => `${name} define o arrefecimento ${inPortuguese(f.limit)}, que --cooling deixa de fora`,
      levels_without_law: (f, name) =>
        `${name} define o ${inPortuguese(f.limit)}, não ${inPortuguese(f.shown)} (ver --cooling)`,
      too_many_schedules: (f) => (f.limit === '1'
        ? 'a página corre um esquema de cada vez: dê um valor, não uma lista'
        : `as listas dão ${f.shown} esquemas, mais do que os ${inPortuguese(f.limit)} que uma varredura pode ter`),
      too_many_runs: (f, name) => `${name} tem de ser no máximo ${inPortuguese(f.limit)} nesta página`,
      too_many_trials: (f) => `as execuções pedidas fazem ${inPortuguese(f.shown)} tentativas ao todo, mais do que ` +
        `as ${inPortuguese(f.limit)} que a página faz de uma vez: peça menos execuções ou esquemas mais curtos`,
      no_level: (f) => `T0 tem de estar acima da T final, para o esquema ter um nível (T0 ${inPortuguese(f.shown)}, ` +
        `T final ${inPortuguese(f.limit)})`,
      run_too_long: (f) => `${inWords(f.value, 'pt')}: cerca de ${inPortuguese(f.shown)} tentativas por execução, mais ` +
        `do que as ${inPortuguese(f.limit)} que uma execução pode fazer`,
      no_worsening_move: (f) => `nenhum movimento piora o valor numa amostra de ${inPortuguese(f.limit)} movimentos em ${f.shown} ` +
        'bits, por isso nenhuma temperatura pode ser escolhida a partir dela',
      past_last_run: (f) => `as execuções ${f.value} a ${f.shown} passam da execução ${f.limit}, após a qual as ` +
        'sementes se repetem',
      population_too_large: (f) => `${inWords(f.value, 'pt')}: ${inPortuguese(f.shown)}, mais do que os ` +
        `${inPortuguese(f.limit)} que uma população acompanha`,
      bad_formula: (f, name) => formulaMessage(f, name, portugueseFormulas),
      not_finite_on_grid: (f, name) => `${name}: ${quoted(f.value)} não é finita em x = ${inPortuguese(f.shown)} ` +
        `(em ${f.limit} bits)`,
      empty_interval: (f) => `--x-max tem de estar acima de --x-min (x-min ${inPortuguese(f.limit)}, x-max ` +
        `${inPortuguese(f.shown)})`,
      grid_too_fine: (f) => `${f.value} bits em ${inPortuguese(f.shown.replace(', ', '; '))}: os pontos da grelha não ` +
        'são distintos em precisão simples',
    },
  };

  const tables = { en: english, pt: portuguese };
  // A schedule, with the landscape it runs on where that is not the demo's, or a limit, as the
  // libraries write them, in the words of `lang`. A landscape's formula stays as typed, its '.'
  // a decimal point in every language; only its interval's ends take a decimal comma.
  function inWords(text, lang) {
    if (lang !== 'pt') {
      return text;
    }
    const [schedule, label] = text.split(/, on (.*)/s);
    if (label === undefined) {
      return inPortuguese(schedule);
    }
    const [, name, low, high] = /^(.*) over \[(\S+), (\S+)\]$/s.exec(label) ?? [null, label];
    const interval = low === undefined ? '' : ` em [${inPortuguese(low)}; ${inPortuguese(high)}]`;
    return `${inPortuguese(schedule)}, na paisagem ${name}${interval}`;
  }

  // The fault in the words of `table`; `name` names its field in place of its option.
  function describe(fault, table = english, name = undefined) {
    const named = name ?? (fault.field === null ? '' : optionOf[fault.field]);
    return table.kinds[fault.kind](fault, named);
  }

  window.saPage = window.saPage || {};
  window.saPage.messages = { english, portuguese, tables, describe, inWords };
})();
