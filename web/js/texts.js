'use strict';

// Every word the page shows, in English and in Portuguese. A text is a string (it may hold
// markup) or a function of figures that the caller has already written out in the language's
// style. The lesson's steps are here with the rest, keyed by their ids, each with the words of its
// claims; their presets, and what decides whether a claim holds, are in lesson_view.js.
(function () {
  const plural = (n, one, many) => (n === 1 ? one : many);

  const en = {
    pageTitle: 'See it anneal: simulated annealing, trial by trial',
    title: 'See it anneal',
    languages: 'Language',
    present: 'Present',
    presenterHint: '<kbd>Page Down</kbd> runs the step, then goes to the next; <kbd>Page Up</kbd> goes back; ' +
      '<kbd>Esc</kbd> leaves presenter mode.',
    copyLink: 'Copy the link',
    linkCopied: 'The link to this experiment is copied.',
    linkNotCopied: (link) => `The browser would not copy the link: ${link}`,
    intro: 'Simulated annealing looks for the highest point of <span class="formula">f(x) = 0.4 + sinc(4x) + ' +
      '1.1 sinc(4x+2) + 0.8 sinc(6x−2) + 0.7 sinc(6x−4)</span> on [−2,&nbsp;2]. A point wanders the whole ' +
      'interval while the temperature is high and settles on a hill as it cools. Everything here is computed by ' +
      'the same C++ as <code>sa_demo</code> and <code>sa_study</code>, compiled to WebAssembly: the numbers are ' +
      'theirs, to the last digit.',
    loading: 'Loading the program…',
    loadFailed: (failure) => `The program could not be loaded: ${failure}`,
    linkNotes: 'The link was not taken whole:',
    linkUnknownKey: (pair, keys) => `${pair} was dropped: the page reads only ${keys}.`,
    linkRepeatedKey: (pair) => `${pair} was dropped: a key that comes again keeps its first value.`,
    linkLanguage: (pair, languages) => `${pair} was dropped: the page speaks ${languages}.`,
    linkStep: (pair, steps, numbered) =>
      `${pair} was dropped: the lesson's steps are ${steps}, or 1 to ${numbered} as older links number them.`,
    linkPresent: (pair) => `${pair} was dropped: present=1 opens presenter mode, and present=0 does not.`,
    linkValue: (pair, why) => `${pair} was dropped: ${why}.`,
    linkDecimalComma: (pair) =>
      `${pair} was dropped: a link writes its numbers with a decimal point, in every language (0.5, not 0,5).`,
    linkSweep: (why) => `The link's sweep is refused: ${why}.`,

    lessonTitle: 'A guided lesson',
    lessonSeeView: (view) => `The figures, in “${view}” ↓`,
    lessonCue: 'New here? Press <strong>Run this experiment</strong> below: each step sets a schedule, asks a ' +
      'question and runs the experiment that answers it. Then change any value in the fields and see what follows.',
    question: 'Question:',
    lookFor: 'Look for:',
    previous: 'Previous step',
    next: 'Next step',
    stepButton: (number, title) => `${number}. ${title}`,
    runExperiment: 'Run this experiment',
    lessonStepLabel: (number, count) => `Step ${number} of ${count}`,
    lesson: {
      'random-walk': {
        title: 'A random walk',
        question: 'When T is far above every change of f, is a worse move ever refused?',
        look: 'The verdicts in the run: nearly all <em>accepted</em>. The point jumps across the interval, hills or ' +
          'not, and the share of worse moves taken (the middle one of the run\'s curves) stays near 1. A move of ' +
          'Δ = 0, to a point of the same value, is counted with the worse moves, and always taken: exp(0) = 1 is ' +
          'more than any r.',
        predict: { question: 'What share of the worse moves it tries will this run take?' },
        claims: {
          nearlyAll: (v) => `This run takes more than 99 % of the worse moves it tries: ${v.taken} of ${v.tried} ` +
            `(${v.share}).`,
        },
      },
      'hill-climbing': {
        title: 'Hill climbing',
        question: 'With T from 10⁻⁶ down to 10⁻⁷, a worse move is taken only if it loses less than about 9 T ' +
          '(exp(Δ/T) above 0.0001, the least r but 0), or, once in 10,000 draws, when r is 0 and exp(Δ/T) is not; a ' +
          'move of Δ = 0 is always taken. The search all but only climbs: does a run stay on the hill it starts on?',
        look: 'Where the bars stand: on the hills near the middle only. A flip of a high digit jumps far (v[0] moves ' +
          'x by 2, v[1] by 1), so a climb that starts on an outer hill finds a higher point one flip away, on ' +
          'another hill, and goes there: a climb moves from hill to hill.',
        predict: { question: 'What share of the runs will end with their best point on the global peak?' },
        claims: {
          noOuterHill: (v) => `No run has its best point on a hill whose peak lies beyond x = ±0.9 (${v.outer} of ` +
            `${v.runs} do), though the basins of those hills hold more than half of the grid's points ` +
            `(${v.outerShare}), and a run starts at any grid point as often as at any other.`,
          notAllOnTop: (v) => `Still, fewer than two runs in three reach the global peak (${v.global}): ${v.second} ` +
            `stop on the second peak, ${v.other} on other hills.`,
        },
      },
      quench: {
        title: 'A quench',
        question: 'Cool fast: multiply T by 0.5 at each level rather than by 0.97. Is that enough?',
        look: 'Where the bars stand: on several hills. The temperature fell before the runs could cross the valleys ' +
          'between them.',
        predict: {
          question: "Where will the runs' best points be?",
          choices: ['All on the global peak', 'Most on the global peak, the rest on other hills',
            'Fewer than half on the global peak'],
          found: (v) => `${v.global} on the global peak`,
        },
        claims: {
          mostOnTop: (v) => `Most runs still have their best point on the global peak (${v.global}).`,
          secondFrozen: (v) => `More than one run in five freezes on the second peak (${v.second}).`,
          othersFrozen: (v) => `Some end on other hills (${v.other}).`,
        },
      },
      'demo-schedule': {
        title: "The demo's schedule",
        question: "sa_demo's own schedule (T from 100 down to 0.1, factor 0.97): does every run find the top?",
        look: 'The bars: all on the global peak, but the best point of a run is rarely its top grid point. At ' +
          'T = 0.1 a step down by 0.01 is still taken nine times in ten, so the run cannot choose between neighbours ' +
          'of the top.',
        predict: {
          question: 'What share of the runs will have the top grid point, the exact optimum, as their best point?',
        },
        claims: {
          allOnTop: (v) => `Every run has its best point on the global peak (${v.global}).`,
          fewOnTopPoint: (v) => 'Fewer than one run in ten has its best point on the top grid point, the exact ' +
            `optimum (${v.exact}).`,
        },
      },
      'slow-cooling': {
        title: 'Slow cooling against the equilibrium',
        question: 'Under continuous acceptance, do runs cooled slowly together (α 0.999) keep up with ' +
          "Boltzmann's distribution as it sharpens onto the top?",
        look: "At temperature T, Boltzmann's distribution gives each grid point a share proportional to " +
          "exp(f(x)/T). Under continuous acceptance, Metropolis's rule, it is the equilibrium of the runs' own " +
          'chain while every move\'s exp(Δ/T) is 2⁻⁵³ or more, the finest step of r (here, T above about 0.035): a ' +
          'run held at T long enough is found there. ' +
          "The bars (where the runs are) against the shaded Boltzmann distribution, level by level, and the " +
          'distance between them below. While T is high the runs keep up. As T falls, the distribution moves its ' +
          'mass onto the global peak faster than a run on the second peak can cross the valley by flipping one ' +
          'digit at a time: for the cold end this schedule cools too fast, and the distance grows, then stays, the ' +
          'runs frozen. Try more trials per level, or a factor nearer 1, and cool the runs again.',
        predict: { question: 'At the last level, what share of the runs will be on the global peak?' },
        claims: {
          keepUp: (v) => `Down to T = 0.12 the runs keep up: at every level the distance is below 0.1 (at most ` +
            `${v.warmMax}).`,
          fallBehind: (v) => `Colder, they fall behind: at the last level (T = ${v.lastT}) the distance is ` +
            `${v.lastTv}, more than 0.15, with ${v.lastShare} of the runs on the global peak where Boltzmann's ` +
            `distribution has ${v.lastBz}.`,
          holdTheTop: (v) => `No level has a larger share of the runs on the global peak than the last, with ` +
            `${v.lastShare} (the largest of all: ${v.peak}).`,
        },
      },
      'demo-floor': {
        title: "The demo's floor: r can be 0",
        question: "Under the demo's acceptance, where r = 0 takes any worse move, do the same slowly cooled runs " +
          "still follow Boltzmann's distribution?",
        look: 'The demo draws r from 10,000 values, 0 among them, and r = 0 takes any worse move whose exp(Δ/T) ' +
          'is not 0: however cold the run, each worse move it tries is taken at least once in 10,000, large or ' +
          'small, as long as exp(Δ/T) is not 0. ' +
          "The same schedule as the last step, under the demo's acceptance: compare its curves with that step's. " +
          'While T is warm these runs keep up too. Colder, the floor of 1 in 10,000 shows: runs keep leaving the ' +
          'global peak and climb back up whichever hill they land near, so they leave Boltzmann\'s distribution ' +
          "and lose some of the global peak as they cool on. Boltzmann's distribution is the textbook equilibrium; " +
          "the demo's floor keeps its runs from it at low temperature.",
        predict: {
          question: 'As these runs cool on to the last level, what becomes of their share of the global peak?',
          choices: ['It grows to the end', 'It levels off, within two points of its largest', 'It falls further'],
          found: (v) => `from ${v.peak} at its largest to ${v.lastShare} at the last level`,
        },
        claims: {
          keepUp: (v) => `Down to T = 0.12 these runs keep up too: at every level the distance is below 0.1 (at ` +
            `most ${v.warmMax}).`,
          leave: (v) => `Colder, they leave it: at the last level (T = ${v.lastT}) the distance is ${v.lastTv}, more ` +
            `than 0.25, with ${v.lastShare} of the runs on the global peak where Boltzmann's distribution has ` +
            `${v.lastBz}.`,
          slipOff: (v) => `As they cool on, their share of the global peak falls by more than two percentage points, ` +
            `from ${v.peak} (T = ${v.peakT}) to ${v.lastShare} at the last level, while the second peak's grows ` +
            `from ${v.secondAtPeak} to ${v.lastSecond}.`,
        },
      },
      'take-home': {
        title: 'What the lesson showed',
        intro: "Each point below is a claim about the figures of the steps you ran, checked as the steps' own " +
          'claims are: run the steps it names, and it is checked here.',
        claims: {
          coolingMatters: (v) => `The demo's schedule puts every run's best point on the global peak ` +
            `(${v.demoGlobal}), where a quench leaves more than one in five on the second peak (${v.quenchSecond}).`,
          peakNotTop: (v) => `On the peak is not on its top point: the demo's schedule brings fewer runs to the exact ` +
            `optimum (${v.demoExact}) than hill climbing does (${v.climbExact}), its last levels still too warm to ` +
            'choose between neighbours.',
          floorCosts: (v) => `Cooled slowly, the runs end with ${v.continuousLast} on the global peak under ` +
            `continuous acceptance, and fewer, ${v.floorLast}, under the demo's floor of r = 0.`,
          restartsPay: (v) => `Restarts counted, the sweep's best schedule reaches the exact optimum with 99 % ` +
            `probability in ${v.sweepTts} trials, less than a tenth of the demo schedule's ${v.demoTts}.`,
        },
      },
      'time-to-solution': {
        title: 'The least time to solution',
        question: 'A run that fails can be run again. Which schedule reaches the exact optimum soonest, restarts counted?',
        look: 'Each line is one cooling factor; along it the final T falls from 0.1 to 10⁻⁸, and the runs grow ' +
          'longer. Look where each line turns: short runs rarely succeed, long runs succeed more often than their ' +
          'cost repays. The least TTS99 is marked.',
        predict: { question: 'Which final T will give the least TTS99, restarts counted?' },
        claims: {
          insideRange: (v) => 'Every line has its least TTS99 inside its range, at neither its warmest nor its ' +
            `coldest final T: cooling on first pays, then costs (${v.inside} of ${v.lines} lines).`,
          fastestWins: (v) => `The fastest cooling, α ${v.fastest}, has the least TTS99 of all: the least is ` +
            `${v.tts} trials, with α ${v.alpha} and a final T of ${v.tFinal}, by runs of ${v.perRun} trials of ` +
            `which ${v.success} reach the exact optimum.`,
        },
      },
      landscapes: {
        title: 'Other landscapes: when annealing pays',
        question: 'Where does annealing pay, and where does a climb, restarted, do better?',
        look: "Four other landscapes, each under a pure climb, the demo's schedule and a slower one (α 0.99). The plots " +
          'first: smooth is one broad hill; needle a narrow peak on a flat plain, which gives no lead ' +
          'to it; deceptive a narrow, highest peak in the valley between two broad hills whose slopes lead away ' +
          'from it; rugged small bumps on one large hill. Then the table: the share of runs on the global peak says ' +
          'whether a schedule finds the right hill; TTS99 to the exact optimum, what its top grid point costs, ' +
          'restarts counted.',
        predict: {
          question: 'On how many of the four landscapes will a pure climb, restarted, reach the exact optimum in ' +
            "fewer trials than the demo's schedule?",
          choices: ['On one at most', 'On two or three', 'On all four'],
          found: (v) => `${v.climbWins} of 4`,
        },
        claims: {
          smoothClimbs: (v) => 'Smooth: every run of every schedule ends on the one hill (at least ' +
            `${v.smoothLeastGlobal}); restarted climbs reach its top in fewer trials than the demo's schedule ` +
            `(${v.smoothClimbTts} against ${v.smoothDemoTts}).`,
          needleEven: (v) => "Needle: the three schedules' TTS99 to the exact optimum lie within a factor of 1.5 of " +
            `one another (${v.needleLeastTts} to ${v.needleMostTts}).`,
          deceptiveEscapes: (v) => "Deceptive: a pure climb ends on the highest peak's hill in fewer than one run in " +
            `ten (${v.deceptiveClimbGlobal}), the demo's schedule in more than nine in ten (${v.deceptiveDemoGlobal}).`,
          ruggedBoth: (v) => "Rugged: a pure climb reaches the highest bump's hill in fewer than one run in five " +
            `(${v.ruggedClimbGlobal}), both annealing schedules in more than nine in ten (${v.ruggedDemoGlobal}, ` +
            `${v.ruggedSlowGlobal}); yet restarted climbs reach the exact top in fewer trials than the demo's ` +
            `(${v.ruggedClimbTts} against ${v.ruggedDemoTts}).`,
        },
      },
    },
    lessonRunning: 'Running the experiment…',
    lessonUnfinished: 'The experiment did not finish: there is nothing to check.',
    claimsHold: (held, total) => `What the experiment found: ${held} of ${total} ${plural(total, 'claim holds', 'claims hold')}.`,
    claimHolds: 'Holds:',
    claimFails: 'Does not hold:',
    predictNote: 'Your guess, before you run it (you may skip it):',
    yourGuess: 'Your guess',
    noGuess: 'no guess yet',
    clearGuess: 'Clear my guess',
    quoted: (words) => `“${words}”`,
    revealGuess: (guess, found) => `You guessed ${guess}; the experiment found ${found}.`,
    revealSkipped: (found) => `You made no guess; the experiment found ${found}.`,
    choiceFound: (choice, figures) => `${choice} (${figures})`,
    guessRight: 'Right.',
    guessWrong: 'Not this time.',
    compareCaption: "The steps run so far, side by side. A study's figures are shares of its runs by where their " +
      "best point lies; a population's, shares of its runs' current points at the last level; the sweep's row is " +
      'its least TTS99.',
    compareLabel: 'The steps run so far',
    compareColumns: {
      step: 'Step',
      schedule: 'Schedule',
      exact: 'Study: best on the exact optimum',
      global: 'Study: best on the global peak',
      second: 'Study: best on the second peak',
      tts: 'Study: TTS99 (trials)',
      lastGlobal: 'Population, last level: on the global peak',
      lastSecond: 'Population, last level: on the second peak',
    },
    compareCurrent: (title) => `${title} (this step)`,
    closingPending: (steps) => `run ${steps} first.`,
    closingNone: 'No claim can be checked yet: run the steps that each one names.',
    closingStatus: (held, checked, waiting) => `What the steps found: ${held} of ${checked} ` +
      `${plural(checked, 'claim holds', 'claims hold')}` + (waiting > 0 ? `; ${waiting} not checked yet.` : '.'),
    claimWaits: 'Not checked:',
    exportTitle: "The lesson's figures to keep",
    exportCsv: 'The table of steps (CSV)',
    exportStudy: "The study's chart (PNG)",
    exportPopulation: "The population's chart (PNG)",
    exportSweep: "The sweep's chart (PNG)",
    sweepPointsNote: 'Each point of the sweep, by its final T: press one, or a point on the chart, to load its ' +
      'schedule into the fields above.',
    loadPoint: (schedule) => `Load ${schedule}`,
    loadedMark: (tFinal) => `final T ${tFinal}`,
    studyEarlier: (steps) => `Dashed outlines, on the same scale of runs: the lesson's earlier steps, each ` +
      `numbered over its tallest bar (${steps}).`,
    earlierMark: (step) => `step ${step}`,

    scheduleTitle: 'The schedule',
    scheduleNote: 'A run starts at T0, makes a number of trials at each temperature, multiplies T by the cooling ' +
      "factor, and stops once T is no longer above the final T. Each value is checked by the rules of sa_study's " +
      "command line; leave one empty for the demo's value. The address of the page keeps them: copy it to hand the " +
      'experiment on.',
    fieldT0: 'Initial temperature',
    fieldAlpha: 'Cooling factor',
    fieldTFinal: 'Final temperature',
    fieldTrials: 'Trials per level',
    trialsDefault: 'bits / 2',
    fieldBits: 'Bits',
    fieldAcceptance: 'Acceptance of a worse move',
    acceptanceDemo: "the demo's: r one of 10,000 values",
    acceptanceContinuous: "continuous: Metropolis's",
    fieldSeed: 'Seed: a clock second',
    fieldRuns: 'Runs in a study',
    demoSchedule: "The demo's schedule",
    landscapeLegend: 'The landscape searched',
    fieldLandscape: 'Landscape: a name, a formula of x or a drawing',
    fieldXMin: 'x from',
    fieldXMax: 'x to',
    landscapeHelp: "Empty for the demo's; smooth, needle, deceptive or rugged; or a formula of x with + − * / ^, " +
      'parentheses, pi, e, sin, cos, tan, exp, log, sqrt, abs, sinc, min and max, a decimal point (0.5) and a comma ' +
      'between arguments: <code>max(sin(3 * x), 0.2) + 1</code>. Or draw one on the plot below.',
    presetPoint: {
      smooth: 'smooth: one broad hill and no other.',
      needle: 'needle: a narrow peak on a flat plain that gives no lead to it.',
      deceptive: 'deceptive: the highest peak is narrow, in the valley between two broad hills whose slopes lead away from it.',
      rugged: 'rugged: small bumps on one large hill.',
    },
    landscapePlotLabel: 'The landscape the fields name, f over the interval searched',
    drawToggle: 'Draw',
    drawHint: 'Click to add a point, drag one to move it, double-click it to remove it. With the keyboard: Tab to a ' +
      'point, the arrows move it (Shift: further), Delete removes it, Insert adds one after it.',
    drawAdd: 'Add a point',
    drawPointsLabel: 'The points of the drawing',
    drawPoint: (i, count, x, y) => `Point ${i} of ${count}: x ${x}, f ${y}`,
    checking: 'Checking…',
    cost: (levels, trials, perRun, points) => `${levels} × ${trials} = ${perRun} per run, on ${points} grid points`,
    levels: (n, shown) => `${shown} ${plural(n, 'level', 'levels')}`,
    trials: (n, shown) => `${shown} ${plural(n, 'trial', 'trials')}`,
    runs: (n, shown) => `${shown} ${plural(n, 'run', 'runs')}`,
    points: (n, shown) => `${shown} ${plural(n, 'point', 'points')}`,
    of: (done, total) => `${done} of ${total}`,
    tabulating: (points) => `Tabulating f at ${points} grid points…`,
    tabulatingShare: (points, share) => `Tabulating f at ${points} grid points: ${share}`,
    stopTabulating: 'Stop tabulating',
    tabulationStopped: 'Tabulation stopped: change Bits or the landscape to draw another grid.',

    runTitle: 'A run, trial by trial',
    runNote: 'Each trial flips one binary digit of x. A better candidate is always taken; a worse one when a uniform ' +
      "draw r falls below exp(Δ/T): under the demo's rule r is one of 10,000 values from 0 to 0.9999, under " +
      'continuous acceptance any value of [0, 1) to 53 bits. A move of Δ = 0, to a point of the same value, is ' +
      'counted with the worse moves and always taken: exp(0) = 1 is more than any r. This is the run that ' +
      '<code>sa_study --trace</code> follows for the same seed and schedule.',
    runStale: 'The fields above hold no valid schedule: the run below is the last one that checked out. Mend the ' +
      'fields to run the schedule they hold.',
    keyCurrent: 'current point',
    keyCandidate: 'candidate',
    keyTrail: 'recent positions',
    keyBest: 'best so far',
    keysHint: 'Keys, once the run has the focus (click it): <kbd>Space</kbd> plays and pauses, <kbd>→</kbd> makes one trial, <kbd>Page Down</kbd> one ' +
      'level, <kbd>End</kbd> runs to the end, <kbd>Home</kbd> restarts.',
    runChartsCaption: 'Level by level: the temperature, the share of worse moves taken (of those tried, moves of ' +
      'Δ = 0 among them, which are always taken), and the current and best value. Levels run at a T set by hand ' +
      'are dotted on the T curve.',
    runControls: 'Run controls',
    play: 'Play',
    pause: 'Pause',
    oneTrial: 'One trial',
    oneLevel: 'One level',
    toEnd: 'To the end',
    restart: 'Restart',
    speed: 'Speed',
    speedValue: (shown) => `${shown} trials/s`,
    speedText: (shown) => `${shown} trials per second`,
    stop: (left) => `Stop (${left} left)`,
    stopSoon: 'Stop',
    seconds: (shown) => `about ${shown} s`,
    liveLevel: 'Level',
    liveTrial: 'Trial',
    liveMove: 'Move',
    liveDraw: 'Draw r',
    liveVerdict: 'Verdict',
    liveValue: 'Current value',
    liveBest: 'Best value',
    levelOf: (level, last) => `${level} (levels 0–${last})`,
    trialOf: (trial, total) => `${trial} of ${total}`,
    move: (position, from, to) => `digit v[${position}]: x ${from} → ${to}`,
    alwaysTaken: '1: a better move is always taken',
    noDraw: 'none: no draw for a better move',
    accepted: 'accepted',
    rejected: 'rejected',
    valueAt: (value, x) => `${value} at x = ${x}`,
    digitsCaption: "x's digits, as sa_demo lists them v[0], v[1], …: v[0] is the most significant, so flipping it " +
      'moves x by half the interval; the last moves it one grid step. The ringed digit is the one this trial flips.',
    digitLabel: (position, digit, flipped) => `v[${position}] = ${digit}${flipped ? ', flipped by this trial' : ''}`,
    runStart: (seed, x, value) => `Seed ${seed}: the run starts at x = ${x}, where f = ${value}.`,
    runFinished: (trials, x, value) =>
      `Finished after ${trials}: the best is x = ${x}, with the value ${value} as sa_demo reports it.`,
    runPlotLabel: (x, best) => `f over the interval; the run is at x = ${x}, its best so far at x = ${best}`,
    runPlotEmpty: "f over the interval, with the run's current point",
    runChartsLabel: (levels) => `Temperature, share of worse moves taken, and current and best value over ${levels}`,
    chartT: 'T',
    chartWorse: 'worse taken',
    chartValue: 'f',
    chartCurrent: 'current',
    chartBest: 'best',
    chartLevel: 'level',
    levelTable: 'Level by level',
    levelTableLabel: 'The levels run so far',
    colLevel: 'Level',
    colBetter: 'better taken',
    colWorse: 'worse (Δ ≤ 0) taken / tried',
    colValue: 'value',
    colBest: 'best',
    traceSummary: 'The levels as <code>sa_study --trace --csv</code> writes them',
    traceLabel: 'The trace as CSV',
    keyNeighbours: 'one digit flipped',
    steerLegend: 'Temperature by hand',
    steerHold: 'Hold T for the levels to come',
    steerSlider: 'T',
    steerTyped: 'or type T',
    steerHeld: (value) => `Held: each new level runs at T = ${value}; the schedule still says how many levels there are.`,
    steerFree: (value) => `The schedule sets T: ${value} at this level.`,
    runSteered: (levels) => `Steered: ${levels} ran at a T set by hand, so this is no longer the schedule's run.`,
    byHand: (value) => `${value} (by hand)`,
    chartByHand: 'by hand',
    decisionEmpty: 'The chance of taking each move, once a trial is made',
    decisionChance: 'chance taken',
    decisionDemo: (value) => `The chance that the demo's rule takes a move of change Δ at T = ${value}: exp(Δ/T) as ` +
      'long as that is above 1 in 10,000; below it, 1 in 10,000 still, the draw r = 0, until exp(Δ/T) is 0 in double ' +
      "precision. A chance below 10⁻⁵ is drawn at the plot's foot. The rings mark this trial's Δ and its draw r.",
    decisionContinuous: (value) => `The chance that continuous acceptance takes a move of change Δ at T = ${value}: ` +
      "exp(Δ/T). A chance below 10⁻⁵ is drawn at the plot's foot. The rings mark this trial's Δ and its draw r.",
    decisionLabel: (delta, chance, r, verdict) => `This trial: Δ = ${delta}, taken with chance ${chance}; draw r ${r}; ${verdict}`,

    studyTitle: 'A study: many runs of the schedule',
    studyNote: 'Run i starts from the clock second seed + i, as <code>sa_study --seed S --runs N</code> runs it. ' +
      "The bars show where the runs' best points lie.",
    studyStart: 'Run the study',
    cancel: 'Cancel',
    studyProgress: 'Runs done',
    resultRuns: 'Runs',
    resultExact: 'On the exact optimum',
    resultGlobal: 'On the global peak',
    resultSecond: 'On the second peak',
    resultMean: 'Mean best value',
    resultTime: 'Time per run',
    studyCsvSummary: 'The study as <code>sa_study --csv</code> writes it',
    studyCsvLabel: 'The study as CSV',
    studyPlotLabel: 'f over the interval, with a histogram of where the runs ended',
    timeLeft: (text, left) => `${text}, ${left} left`,
    studyDone: (runs, seconds) => `Done: ${runs} in ${seconds} s.`,
    cancelled: (done) => `Cancelled after ${done}: no results.`,
    outdated: 'The fields have changed since: run it again for the schedule they hold.',
    shareOf: (share, count) => `${share} (${count})`,
    medianTime: (time) => `about ${time} µs (median)`,
    medianBelowClock: 'shorter than a tick of the page\'s clock (median)',
    countAxis: 'runs',
    studyCaption: (schedule, seed) => `${schedule}; seed ${seed}.`,

    populationTitle: "Many runs cooling together, against Boltzmann's distribution",
    populationNote: 'All the runs of the study, cooled together: at the end of each level, where they are (the bars, ' +
      "their current x) and where Boltzmann's distribution of the grid at that level's T, proportional to " +
      "exp(f(x)/T), would put them (shaded). Under continuous acceptance it is the equilibrium of the runs' own " +
      "chain: a flip of a digit drawn at random is as likely as the flip back, and Metropolis's rule takes a worse " +
      "move with probability exp(Δ/T), while that is 2⁻⁵³ or more, the finest step of r (on the demo's grid, T " +
      "above about 0.035). Under the demo's rule it is the textbook equilibrium: r = 0 comes once in " +
      '10,000 draws and takes any worse move whose exp(Δ/T) is not 0, a floor of 1 in 10,000 that keeps the runs ' +
      'from it at low temperature. The distance is the total variation over the hills of f: 0 when the runs hold ' +
      "each hill in Boltzmann's share, 1 when they hold none of it.",
    populationStart: 'Cool the runs together',
    populationHint: 'Press “Cool the runs together”.',
    populationProgress: 'Levels done',
    populationControls: 'Population controls',
    keyRuns: 'where the runs are',
    keyEquilibrium: "Boltzmann's distribution at this T",
    popGlobal: 'On the global peak',
    popSecond: 'On the second peak',
    popDistance: 'Distance',
    populationDone: (levels, seconds) => `Done: ${levels} in ${seconds} s.`,
    populationAt: (level, temperature) => `${level}, T = ${temperature}`,
    againstEquilibrium: (share, boltzmann) => `${share} (Boltzmann ${boltzmann})`,
    populationPlotLabel: (level, distance) =>
      `Where the runs are at level ${level}, against Boltzmann's distribution; distance ${distance}`,
    populationChartLabel: "Shares on the global and second peak, Boltzmann's dashed, and the distance from it, level by level",
    chartShareGlobal: 'global peak',
    chartShareSecond: 'second peak',
    chartEquilibrium: 'Boltzmann',
    chartDistance: 'distance',
    levelText: (level, temperature) => `level ${level}, T = ${temperature}`,

    landscapesTitle: 'Four landscapes',
    landscapesNote: "Each of the four preset landscapes under a pure climb (T0 10⁻⁶, final T 10⁻⁷, where a worse " +
      "move is all but never taken), the demo's schedule and a slower one (α 0.99), with the fields' seed and " +
      "runs: twelve studies, one after another. Each plot marks its landscape's two highest hills.",
    landscapesStart: 'Run the twelve studies',
    landscapesProgress: 'Runs done',
    landscapesDone: (studies, runs, seconds) => `Done: ${studies} studies, ${runs}, in ${seconds} s.`,
    landscapesPlotLabel: (name) => `The landscape ${name}, f over its interval, its two highest hills marked`,
    landscapesTableLabel: 'The twelve studies',
    landscapesTable: {
      columns: {
        schedule: 'Schedule', exact: 'Best on the exact optimum', global: 'Best on the global peak',
        tts: 'TTS99, exact optimum', peakTts: 'TTS99, global peak',
      },
      schedules: { climb: 'pure climb', demo: "the demo's", slow: 'slow, α 0.99' },
      caption: "Shares of the runs by where their best point lies; TTS99 in trials, restarts counted.",
    },
    landscapesSchedule: "smooth, needle, deceptive and rugged, each under a pure climb, the demo's schedule and alpha 0.99",
    sweepTitle: 'Schedules compared: time to solution',
    sweepNote: 'A run that fails can be run again, so the figure to choose a schedule by is the time to solution: ' +
      'the trials needed to reach the exact optimum with 99 % probability when runs are restarted until one ' +
      'succeeds. If a run succeeds with probability p, R99 = ln 0.01 / ln(1 − p) runs are needed, and TTS99 = R99 × ' +
      'trials per run. Short runs are cheap but rarely succeed; long enough runs succeed often but cost more than ' +
      'their success repays: a line has its least where the two balance, inside the range swept or beyond it. ' +
      'Each value below takes a list (0.8,0.9) or a range (start:stop:step); trials per level, bits, seed and ' +
      'runs come from the schedule above.',
    sweepHint: 'Press “Compare the schedules” to draw them here.',
    sweepAlphas: 'Cooling factors',
    sweepFinals: 'Final temperatures',
    sweepStart: 'Compare the schedules',
    sweepProgress: 'Runs done',
    sweepCsvSummary: 'The rows of <code>sa_study --csv</code>',
    sweepTableLabel: 'The schedules compared, as sa_study --csv writes them',
    sweepDone: (schedules, seconds) => `Done: ${schedules} in ${seconds} s.`,
    schedules: (n, shown) => `${shown} ${plural(n, 'schedule', 'schedules')}`,
    sweepChartLabel: 'Share of runs on the exact optimum and TTS99 against trials per run, one line per cooling factor',
    chartSuccess: 'exact optimum',
    chartTts: 'TTS99 (trials)',
    chartTrialsPerRun: 'trials per run',
    lessonLeast: (schedule, tts, r99, perRun) => `The least TTS99: ${schedule}: ${tts} trials, R99 = ${r99} runs of ${perRun}.`,
    noSuccess: 'No schedule reached the exact optimum: no time to solution.',
    caseText: (t0, alpha, tFinal, trials, bits) => `T0 ${t0}, alpha ${alpha}, final T ${tFinal}, ${trials} per level, ${bits} bits`,

    consoleTitle: 'sa_demo itself',
    consoleNote: 'The program as it runs at a terminal, in Portuguese: 1 draws a random solution, 2 anneals it, 0 ' +
      'leaves. Its random numbers are seeded with the clock second.',
    clockSecond: 'Clock second',
    startAgain: 'Start again',
    consoleLabel: "sa_demo's output",
    yourChoice: 'Your choice',
    enter: 'Enter',
    ended: (status) => `[sa_demo has ended with status ${status}: start again for a new session]`,
    secondName: 'Clock second',

    footer: 'sa_demo and sa_study: MIT licence. The page works opened from disk; it fetches nothing.',
  };

  const pt = {
    pageTitle: 'Recozimento simulado (simulated annealing), tentativa a tentativa',
    title: 'Recozimento simulado',
    languages: 'Idioma',
    present: 'Apresentar',
    presenterHint: '<kbd>Page Down</kbd> executa o passo e depois passa ao seguinte; <kbd>Page Up</kbd> volta atrás; ' +
      '<kbd>Esc</kbd> sai do modo de apresentação.',
    copyLink: 'Copiar a ligação',
    linkCopied: 'A ligação para esta experiência foi copiada.',
    linkNotCopied: (link) => `O navegador não deixou copiar a ligação: ${link}`,
    intro: 'O recozimento simulado (<i lang="en">simulated annealing</i>) procura o ponto mais alto de <span class="formula">f(x) = 0,4 + sinc(4x) + ' +
      '1,1 sinc(4x+2) + 0,8 sinc(6x−2) + 0,7 sinc(6x−4)</span> em [−2;&nbsp;2]. Um ponto vagueia por todo o ' +
      'intervalo enquanto a temperatura é alta e assenta numa colina ao arrefecer. Tudo aqui é calculado pelo ' +
      'mesmo C++ de <code>sa_demo</code> e <code>sa_study</code>, compilado para WebAssembly: os números são os ' +
      'deles, até ao último algarismo.',
    loading: 'A carregar o programa…',
    loadFailed: (failure) => `Não foi possível carregar o programa: ${failure}`,
    linkNotes: 'O endereço não foi aceite por inteiro:',
    linkUnknownKey: (pair, keys) => `${pair} foi descartado: a página só lê ${keys}.`,
    linkRepeatedKey: (pair) => `${pair} foi descartado: uma chave que se repete fica com o primeiro valor.`,
    linkLanguage: (pair, languages) => `${pair} foi descartado: a página fala ${languages}.`,
    linkStep: (pair, steps, numbered) =>
      `${pair} foi descartado: os passos da lição são ${steps}, ou de 1 a ${numbered} como os numeram os endereços antigos.`,
    linkPresent: (pair) => `${pair} foi descartado: present=1 abre o modo de apresentação e present=0 não.`,
    linkValue: (pair, why) => `${pair} foi descartado: ${why}.`,
    linkDecimalComma: (pair) =>
      `${pair} foi descartado: um endereço escreve os números com ponto decimal, em qualquer idioma (0.5, não 0,5).`,
    linkSweep: (why) => `A varredura do endereço é recusada: ${why}.`,

    lessonTitle: 'Uma lição guiada',
    lessonSeeView: (view) => `Os números, em «${view}» ↓`,
    lessonCue: 'É a primeira vez? Carregue em <strong>Fazer esta experiência</strong>, abaixo: cada passo define um ' +
      'esquema, faz uma pergunta e corre a experiência que lhe responde. Depois mude qualquer valor nos campos e ' +
      'veja o que acontece.',
    question: 'Pergunta:',
    lookFor: 'Repare:',
    previous: 'Passo anterior',
    next: 'Passo seguinte',
    stepButton: (number, title) => `${number}. ${title}`,
    runExperiment: 'Fazer esta experiência',
    lessonStepLabel: (number, count) => `Passo ${number} de ${count}`,
    lesson: {
      'random-walk': {
        title: 'Um passeio aleatório',
        question: 'Quando T está muito acima de qualquer variação de f, algum movimento pior é recusado?',
        look: 'Os veredictos da execução: quase todos <em>aceites</em>. O ponto salta por todo o intervalo, haja ' +
          'colinas ou não, e a fração de movimentos piores aceites (a curva do meio da execução) fica perto de 1. Um ' +
          'movimento de Δ = 0, para um ponto do mesmo valor, conta com os piores, e é sempre aceite: exp(0) = 1 é ' +
          'maior do que qualquer r.',
        predict: { question: 'Que fração dos movimentos piores que tenta vai esta execução aceitar?' },
        claims: {
          nearlyAll: (v) => `Esta execução aceita mais de 99 % dos movimentos piores que tenta: ${v.taken} de ` +
            `${v.tried} (${v.share}).`,
        },
      },
      'hill-climbing': {
        title: 'Subida de encosta',
        question: 'Com T de 10⁻⁶ até 10⁻⁷, um movimento pior só é aceite se perder menos de cerca de 9 T (exp(Δ/T) ' +
          'acima de 0,0001, o menor r além de 0) ou, uma vez em 10 000 sorteios, quando r é 0 e exp(Δ/T) não é; um ' +
          'movimento de Δ = 0 é sempre aceite. A busca quase só sobe: uma execução fica na colina onde começa?',
        look: 'Onde ficam as barras: só nas colinas perto do meio. Inverter um bit alto salta longe (v[0] desloca x 2 ' +
          'unidades, v[1] 1 unidade), por isso uma subida que começa numa colina exterior encontra um ponto mais alto a ' +
          'uma inversão de distância, noutra colina, e vai para lá: a subida passa de colina em colina.',
        predict: { question: 'Que fração das execuções vai acabar com o seu melhor ponto no pico global?' },
        claims: {
          noOuterHill: (v) => `Nenhuma execução tem o seu melhor ponto numa colina cujo pico fica além de x = ±0,9 ` +
            `(têm-no ${v.outer} de ${v.runs}), embora as bacias dessas colinas tenham mais de metade dos pontos da ` +
            `grelha (${v.outerShare}), e uma execução comece em qualquer ponto da grelha tantas vezes como em ` +
            'qualquer outro.',
          notAllOnTop: (v) => `Ainda assim, menos de duas execuções em três chegam ao pico global (${v.global}): ` +
            `${v.second} param no segundo pico, ${v.other} noutras colinas.`,
        },
      },
      quench: {
        title: 'Uma têmpera',
        question: 'Arrefeça depressa: multiplique T por 0,5 a cada nível em vez de 0,97. Chega?',
        look: 'Onde ficam as barras: em várias colinas. A temperatura caiu antes de as execuções poderem atravessar ' +
          'os vales entre elas.',
        predict: {
          question: 'Onde vão ficar os melhores pontos das execuções?',
          choices: ['Todos no pico global', 'A maioria no pico global, os restantes noutras colinas',
            'Menos de metade no pico global'],
          found: (v) => `${v.global} no pico global`,
        },
        claims: {
          mostOnTop: (v) => `A maioria das execuções ainda tem o seu melhor ponto no pico global (${v.global}).`,
          secondFrozen: (v) => `Mais de uma execução em cinco congela no segundo pico (${v.second}).`,
          othersFrozen: (v) => `Algumas acabam noutras colinas (${v.other}).`,
        },
      },
      'demo-schedule': {
        title: 'O esquema do demo',
        question: 'O esquema do próprio sa_demo (T de 100 até 0,1, fator 0,97): todas as execuções encontram o topo?',
        look: 'As barras: todas no pico global, mas o melhor ponto de uma execução raramente é o seu ponto mais alto ' +
          'da grelha. A T = 0,1 um passo que desce 0,01 ainda é aceite nove vezes em dez, e a execução não consegue ' +
          'escolher entre os vizinhos do topo.',
        predict: {
          question: 'Que fração das execuções vai ter como melhor ponto o ponto mais alto da grelha, o ótimo exato?',
        },
        claims: {
          allOnTop: (v) => `Todas as execuções têm o seu melhor ponto no pico global (${v.global}).`,
          fewOnTopPoint: (v) => 'Menos de uma execução em dez tem o seu melhor ponto no ponto mais alto da grelha, o ' +
            `ótimo exato (${v.exact}).`,
        },
      },
      'slow-cooling': {
        title: 'Arrefecimento lento contra o equilíbrio',
        question: 'Com a aceitação contínua, execuções arrefecidas devagar em conjunto (α 0,999) acompanham a ' +
          'distribuição de Boltzmann enquanto ela se concentra no topo?',
        look: 'À temperatura T, a distribuição de Boltzmann dá a cada ponto da grelha uma parte proporcional a ' +
          'exp(f(x)/T). Com a aceitação contínua, a regra de Metropolis, é o equilíbrio da própria cadeia das ' +
          'execuções enquanto o exp(Δ/T) de cada movimento for 2⁻⁵³ ou mais, o passo mais fino de r (aqui, T acima ' +
          'de cerca de 0,035): uma execução mantida a T tempo suficiente encontra-se nela. ' +
          'As barras (onde estão as execuções) contra a distribuição de Boltzmann sombreada, nível a nível, e a ' +
          'distância entre elas, por baixo. Enquanto T é alta as execuções acompanham-na. Ao descer T, a ' +
          'distribuição passa a sua massa para o pico global mais depressa do que uma execução no segundo pico ' +
          'consegue atravessar o vale invertendo um bit de cada vez: para o fim frio este esquema arrefece depressa ' +
          'demais, e a distância cresce e depois fica, as execuções congeladas. Experimente mais tentativas por ' +
          'nível, ou um fator mais perto de 1, e arrefeça de novo as execuções.',
        predict: { question: 'No último nível, que fração das execuções vai estar no pico global?' },
        claims: {
          keepUp: (v) => `Até T = 0,12 as execuções acompanham-na: em todos os níveis a distância fica abaixo de 0,1 ` +
            `(no máximo ${v.warmMax}).`,
          fallBehind: (v) => `Mais frias, ficam para trás: no último nível (T = ${v.lastT}) a distância é ` +
            `${v.lastTv}, mais de 0,15, com ${v.lastShare} das execuções no pico global, onde a distribuição de ` +
            `Boltzmann tem ${v.lastBz}.`,
          holdTheTop: (v) => `Nenhum nível tem uma fração maior das execuções no pico global do que o último, com ` +
            `${v.lastShare} (a maior de todas: ${v.peak}).`,
        },
      },
      'demo-floor': {
        title: 'O piso do demo: r pode ser 0',
        question: 'Com a aceitação do demo, em que r = 0 aceita qualquer movimento pior, as mesmas execuções ' +
          'arrefecidas devagar ainda seguem a distribuição de Boltzmann?',
        look: 'O demo sorteia r de entre 10 000 valores, 0 entre eles, e r = 0 aceita qualquer movimento pior ' +
          'cujo exp(Δ/T) não seja 0: por mais fria que esteja a execução, cada movimento pior que tenta é aceite ' +
          'pelo menos uma vez em 10 000, grande ou pequeno, enquanto exp(Δ/T) não for 0. ' +
          'O mesmo esquema do passo anterior, com a aceitação do demo: compare as suas curvas com as desse passo. ' +
          'Enquanto T é morna, também estas execuções acompanham. Mais frias, o piso de 1 em 10 000 nota-se: as ' +
          'execuções continuam a sair do pico global e voltam a subir a colina onde caem, por isso afastam-se da ' +
          'distribuição de Boltzmann e perdem parte do pico global à medida que arrefecem. A distribuição de ' +
          'Boltzmann é o equilíbrio dos livros; o piso do demo afasta dela as suas execuções a baixa temperatura.',
        predict: {
          question: 'À medida que estas execuções arrefecem até ao último nível, o que acontece à sua fração no pico ' +
            'global?',
          choices: ['Cresce até ao fim', 'Estabiliza, a menos de dois pontos do seu máximo', 'Continua a cair'],
          found: (v) => `de ${v.peak} no máximo para ${v.lastShare} no último nível`,
        },
        claims: {
          keepUp: (v) => `Até T = 0,12 também estas execuções acompanham: em todos os níveis a distância fica ` +
            `abaixo de 0,1 (no máximo ${v.warmMax}).`,
          leave: (v) => `Mais frias, afastam-se: no último nível (T = ${v.lastT}) a distância é ${v.lastTv}, mais ` +
            `de 0,25, com ${v.lastShare} das execuções no pico global, onde a distribuição de Boltzmann tem ` +
            `${v.lastBz}.`,
          slipOff: (v) => `Ao arrefecerem mais, a sua fração no pico global cai mais de dois pontos percentuais, de ` +
            `${v.peak} (T = ${v.peakT}) para ${v.lastShare} no último nível, enquanto a do segundo pico cresce de ` +
            `${v.secondAtPeak} para ${v.lastSecond}.`,
        },
      },
      'take-home': {
        title: 'O que a lição mostrou',
        intro: 'Cada ponto abaixo é uma afirmação sobre os números dos passos que fez, verificada como as ' +
          'afirmações dos próprios passos: faça os passos que indica, e é verificada aqui.',
        claims: {
          coolingMatters: (v) => `O esquema do demo põe o melhor ponto de todas as execuções no pico global ` +
            `(${v.demoGlobal}), onde uma têmpera deixa mais de uma em cinco no segundo pico (${v.quenchSecond}).`,
          peakNotTop: (v) => `Estar no pico não é estar no seu ponto mais alto: o esquema do demo leva menos ` +
            `execuções ao ótimo exato (${v.demoExact}) do que a subida de encosta (${v.climbExact}), com os seus ` +
            'últimos níveis ainda quentes demais para escolher entre vizinhos.',
          floorCosts: (v) => `Arrefecidas devagar, as execuções acabam com ${v.continuousLast} no pico global com a ` +
            `aceitação contínua, e menos, ${v.floorLast}, com o piso do demo, r = 0.`,
          restartsPay: (v) => `Contando os recomeços, o melhor esquema do varrimento chega ao ótimo exato com 99 % ` +
            `de probabilidade em ${v.sweepTts} tentativas, menos de um décimo das ${v.demoTts} do esquema do demo.`,
        },
      },
      'time-to-solution': {
        title: 'O menor tempo até à solução',
        question: 'Uma execução que falha pode ser repetida. Que esquema chega mais cedo ao ótimo exato, contando os ' +
          'recomeços?',
        look: 'Cada linha é um fator de arrefecimento; ao longo dela a T final desce de 0,1 até 10⁻⁸ e as execuções ' +
          'ficam mais longas. Repare onde cada linha muda de sentido: execuções curtas raramente acertam, as longas ' +
          'acertam mais vezes do que o seu custo compensa. O menor TTS99 está marcado.',
        predict: { question: 'Que T final vai dar o menor TTS99, contando os recomeços?' },
        claims: {
          insideRange: (v) => 'Todas as linhas têm o seu menor TTS99 dentro do seu intervalo, nem na T final mais ' +
            `quente nem na mais fria: arrefecer mais primeiro compensa, depois custa (${v.inside} de ${v.lines} ` +
            'linhas).',
          fastestWins: (v) => `O arrefecimento mais rápido, α ${v.fastest}, tem o menor TTS99 de todos: o menor é de ` +
            `${v.tts} tentativas, com α ${v.alpha} e uma T final de ${v.tFinal}, por execuções de ${v.perRun} ` +
            `tentativas, das quais ${v.success} chegam ao ótimo exato.`,
        },
      },
      landscapes: {
        title: 'Outras paisagens: quando o recozimento compensa',
        question: 'Onde compensa recozer, e onde compensa subir e recomeçar?',
        look: 'Quatro outras paisagens, cada uma com uma subida pura, o esquema do demo e um mais lento (α 0,99). Primeiro os ' +
          'gráficos: smooth é uma colina larga; needle um pico estreito numa planície, que não dá ' +
          'pista dele; deceptive um pico estreito, o mais alto, no vale entre duas colinas largas cujas encostas ' +
          'levam para longe dele; rugged pequenas saliências numa colina grande. Depois a tabela: a fração das ' +
          'execuções no pico global diz se um esquema encontra a colina certa; o TTS99 até ao ótimo exato, quanto ' +
          'custa o seu ponto mais alto da grelha, contando os recomeços.',
        predict: {
          question: 'Em quantas das quatro paisagens vai uma subida pura, recomeçada, chegar ao ótimo exato em ' +
            'menos tentativas do que o esquema do demo?',
          choices: ['Em uma no máximo', 'Em duas ou três', 'Nas quatro'],
          found: (v) => `${v.climbWins} de 4`,
        },
        claims: {
          smoothClimbs: (v) => 'Smooth: todas as execuções de todos os esquemas acabam na única colina (pelo menos ' +
            `${v.smoothLeastGlobal}); subidas recomeçadas chegam ao topo em menos tentativas do que o demo ` +
            `(${v.smoothClimbTts} contra ${v.smoothDemoTts}).`,
          needleEven: (v) => 'Needle: os três esquemas têm TTS99 até ao ótimo exato a menos de um fator de 1,5 uns ' +
            `dos outros (${v.needleLeastTts} a ${v.needleMostTts}).`,
          deceptiveEscapes: (v) => 'Deceptive: menos de uma subida pura em dez acaba na colina do pico mais alto ' +
            `(${v.deceptiveClimbGlobal}); do demo, mais de nove em dez (${v.deceptiveDemoGlobal}).`,
          ruggedBoth: (v) => 'Rugged: uma subida pura chega à colina da saliência mais alta em menos de uma execução ' +
            `em cinco (${v.ruggedClimbGlobal}), os dois recozimentos em mais de nove em dez ` +
            `(${v.ruggedDemoGlobal}, ${v.ruggedSlowGlobal}); mas subidas recomeçadas chegam ao topo exato em ` +
            `menos tentativas do que o demo (${v.ruggedClimbTts} contra ${v.ruggedDemoTts}).`,
        },
      },
    },
    lessonRunning: 'A fazer a experiência…',
    lessonUnfinished: 'A experiência não terminou: não há nada a verificar.',
    claimsHold: (held, total) =>
      `O que a experiência encontrou: ${plural(held, 'verifica-se', 'verificam-se')} ${held} de ${total} ` +
      `${plural(total, 'afirmação', 'afirmações')}.`,
    claimHolds: 'Verifica-se:',
    claimFails: 'Não se verifica:',
    predictNote: 'O seu palpite, antes de a fazer (pode saltá-lo):',
    yourGuess: 'O seu palpite',
    noGuess: 'ainda sem palpite',
    clearGuess: 'Apagar o meu palpite',
    quoted: (words) => `«${words}»`,
    revealGuess: (guess, found) => `O seu palpite foi ${guess}; a experiência encontrou ${found}.`,
    revealSkipped: (found) => `Não deu palpite; a experiência encontrou ${found}.`,
    choiceFound: (choice, figures) => `${choice} (${figures})`,
    guessRight: 'Acertou.',
    guessWrong: 'Desta vez não.',
    compareCaption: 'Os passos feitos até agora, lado a lado. Os números de um estudo são frações das suas ' +
      'execuções pelo sítio onde fica o seu melhor ponto; os de uma população, frações dos pontos atuais das suas ' +
      'execuções no último nível; a linha do varrimento é a do seu menor TTS99.',
    compareLabel: 'Os passos feitos até agora',
    compareColumns: {
      step: 'Passo',
      schedule: 'Esquema',
      exact: 'Estudo: melhor no ótimo exato',
      global: 'Estudo: melhor no pico global',
      second: 'Estudo: melhor no segundo pico',
      tts: 'Estudo: TTS99 (tentativas)',
      lastGlobal: 'População, último nível: no pico global',
      lastSecond: 'População, último nível: no segundo pico',
    },
    compareCurrent: (title) => `${title} (este passo)`,
    closingPending: (steps) => `faça primeiro ${steps}.`,
    closingNone: 'Ainda não se pode verificar nenhuma afirmação: faça os passos que cada uma indica.',
    closingStatus: (held, checked, waiting) => `O que os passos encontraram: ` +
      `${plural(held, 'verifica-se', 'verificam-se')} ${held} de ${checked} ${plural(checked, 'afirmação', 'afirmações')}` +
      (waiting > 0 ? `; ${waiting} ainda por verificar.` : '.'),
    claimWaits: 'Por verificar:',
    exportTitle: 'Os números da lição, para guardar',
    exportCsv: 'A tabela dos passos (CSV)',
    exportStudy: 'O gráfico do estudo (PNG)',
    exportPopulation: 'O gráfico da população (PNG)',
    exportSweep: 'O gráfico do varrimento (PNG)',
    sweepPointsNote: 'Cada ponto do varrimento, pela sua T final: carregue num deles, ou num ponto do gráfico, para ' +
      'pôr o seu esquema nos campos acima.',
    loadPoint: (schedule) => `Carregar ${schedule}`,
    loadedMark: (tFinal) => `T final ${tFinal}`,
    studyEarlier: (steps) => `Contornos tracejados, na mesma escala de execuções: os passos anteriores da ` +
      `lição, cada um numerado sobre a sua barra mais alta (${steps}).`,
    earlierMark: (step) => `passo ${step}`,

    scheduleTitle: 'O esquema de arrefecimento',
    scheduleNote: 'Uma execução começa em T0, faz um certo número de tentativas a cada temperatura, multiplica T ' +
      'pelo fator de arrefecimento e para quando T já não está acima da T final. Cada valor é verificado pelas ' +
      'regras da linha de comando do sa_study; deixe um vazio para o valor do demo. O endereço da página guarda-os: ' +
      'copie-o para passar a experiência a outra pessoa.',
    fieldT0: 'Temperatura inicial',
    fieldAlpha: 'Fator de arrefecimento',
    fieldTFinal: 'Temperatura final',
    fieldTrials: 'Tentativas por nível',
    trialsDefault: 'bits / 2',
    fieldBits: 'Bits',
    fieldAcceptance: 'Aceitação de um movimento pior',
    acceptanceDemo: 'a do demo: r um de 10 000 valores',
    acceptanceContinuous: 'contínua: a de Metropolis',
    fieldSeed: 'Semente: um segundo do relógio',
    fieldRuns: 'Execuções num estudo',
    demoSchedule: 'O esquema do demo',
    landscapeLegend: 'A paisagem em que se procura',
    fieldLandscape: 'Paisagem: um nome, uma fórmula de x ou um desenho',
    fieldXMin: 'x de',
    fieldXMax: 'x até',
    landscapeHelp: 'Vazio para a do demo; smooth, needle, deceptive ou rugged; ou uma fórmula de x com + − * / ^, ' +
      'parênteses, pi, e, sin, cos, tan, exp, log, sqrt, abs, sinc, min e max: <code>max(sin(3 * x), 0.2) + 1</code>. ' +
      '<strong>Fórmulas usam ponto decimal: 0.5</strong>, e vírgula entre argumentos. Ou desenhe uma no gráfico abaixo.',
    presetPoint: {
      smooth: 'smooth: uma colina larga e nenhuma outra.',
      needle: 'needle: um pico estreito numa planície plana que não dá pista dele.',
      deceptive: 'deceptive: o pico mais alto é estreito, no vale entre duas colinas largas cujas encostas levam para longe dele.',
      rugged: 'rugged: pequenas saliências numa grande colina.',
    },
    landscapePlotLabel: 'A paisagem que os campos indicam, f no intervalo em que se procura',
    drawToggle: 'Desenhar',
    drawHint: 'Clique para juntar um ponto, arraste um para o mover, faça duplo clique para o retirar. Com o teclado: ' +
      'Tab até um ponto, as setas movem-no (Shift: mais longe), Delete retira-o, Insert junta outro a seguir.',
    drawAdd: 'Juntar um ponto',
    drawPointsLabel: 'Os pontos do desenho',
    drawPoint: (i, count, x, y) => `Ponto ${i} de ${count}: x ${x}, f ${y}`,
    checking: 'A verificar…',
    cost: (levels, trials, perRun, points) => `${levels} × ${trials} = ${perRun} por execução, em ${points} pontos da grelha`,
    levels: (n, shown) => `${shown} ${plural(n, 'nível', 'níveis')}`,
    trials: (n, shown) => `${shown} ${plural(n, 'tentativa', 'tentativas')}`,
    runs: (n, shown) => `${shown} ${plural(n, 'execução', 'execuções')}`,
    points: (n, shown) => `${shown} ${plural(n, 'ponto', 'pontos')}`,
    of: (done, total) => `${done} de ${total}`,
    tabulating: (points) => `A tabular f em ${points} pontos da grelha…`,
    tabulatingShare: (points, share) => `A tabular f em ${points} pontos da grelha: ${share}`,
    stopTabulating: 'Parar a tabulação',
    tabulationStopped: 'Tabulação interrompida: mude os Bits ou a paisagem para desenhar outra grelha.',

    runTitle: 'Uma execução, tentativa a tentativa',
    runNote: 'Cada tentativa inverte um bit de x. Um candidato melhor é sempre aceite; um pior quando um ' +
      'sorteio uniforme r fica abaixo de exp(Δ/T): com a regra do demo r é um de 10 000 valores de 0 a 0,9999, com ' +
      'a aceitação contínua qualquer valor de [0, 1) com 53 bits. Um movimento de Δ = 0, para um ponto do mesmo ' +
      'valor, conta com os piores e é sempre aceite: exp(0) = 1 é maior do que qualquer r. É a execução que ' +
      '<code>sa_study --trace</code> segue com a mesma semente e o mesmo esquema.',
    runStale: 'Os campos acima não têm um esquema válido: a execução abaixo é a do último que foi aceite. Corrija os ' +
      'campos para correr o esquema que eles têm.',
    keyCurrent: 'ponto atual',
    keyCandidate: 'candidato',
    keyTrail: 'posições recentes',
    keyBest: 'melhor até agora',
    keysHint: 'Teclas, com a execução em foco (clique nela): <kbd>Espaço</kbd> inicia e pausa, <kbd>→</kbd> faz uma tentativa, <kbd>Page Down</kbd> um ' +
      'nível, <kbd>End</kbd> vai até ao fim, <kbd>Home</kbd> recomeça.',
    runChartsCaption: 'Nível a nível: a temperatura, a fração de movimentos piores aceites (dos tentados, entre eles ' +
      'os de Δ = 0, sempre aceites) e o valor atual e o melhor. Os níveis corridos a uma T escolhida à mão ' +
      'aparecem como pontos na curva de T.',
    runControls: 'Controlos da execução',
    play: 'Iniciar',
    pause: 'Pausa',
    oneTrial: 'Uma tentativa',
    oneLevel: 'Um nível',
    toEnd: 'Até ao fim',
    restart: 'Recomeçar',
    speed: 'Velocidade',
    speedValue: (shown) => `${shown} tentativas/s`,
    speedText: (shown) => `${shown} tentativas por segundo`,
    stop: (left) => `Parar (faltam ${left})`,
    stopSoon: 'Parar',
    seconds: (shown) => `cerca de ${shown} s`,
    liveLevel: 'Nível',
    liveTrial: 'Tentativa',
    liveMove: 'Movimento',
    liveDraw: 'Sorteio r',
    liveVerdict: 'Veredicto',
    liveValue: 'Valor atual',
    liveBest: 'Melhor valor',
    levelOf: (level, last) => `${level} (níveis 0–${last})`,
    trialOf: (trial, total) => `${trial} de ${total}`,
    move: (position, from, to) => `dígito v[${position}]: x ${from} → ${to}`,
    alwaysTaken: '1: um movimento melhor é sempre aceite',
    noDraw: 'nenhum: não há sorteio para um movimento melhor',
    accepted: 'aceite',
    rejected: 'recusado',
    valueAt: (value, x) => `${value} em x = ${x}`,
    digitsCaption: 'Os dígitos de x, como o sa_demo os lista, v[0], v[1], …: v[0] é o mais significativo, e invertê-lo ' +
      'desloca x metade do intervalo; o último desloca-o um passo da grelha. O dígito rodeado é o que esta tentativa ' +
      'inverte.',
    digitLabel: (position, digit, flipped) => `v[${position}] = ${digit}${flipped ? ', invertido por esta tentativa' : ''}`,
    runStart: (seed, x, value) => `Semente ${seed}: a execução começa em x = ${x}, onde f = ${value}.`,
    runFinished: (trials, x, value) =>
      `Terminou após ${trials}: o melhor é x = ${x}, com o valor ${value} tal como o sa_demo o indica.`,
    runPlotLabel: (x, best) => `f no intervalo; a execução está em x = ${x}, o seu melhor até agora em x = ${best}`,
    runPlotEmpty: 'f no intervalo, com o ponto atual da execução',
    runChartsLabel: (levels) => `Temperatura, fração de movimentos piores aceites e valor atual e melhor ao longo de ${levels}`,
    chartT: 'T',
    chartWorse: 'piores aceites',
    chartValue: 'f',
    chartCurrent: 'atual',
    chartBest: 'melhor',
    chartLevel: 'nível',
    levelTable: 'Nível a nível',
    levelTableLabel: 'Os níveis corridos até agora',
    colLevel: 'Nível',
    colBetter: 'melhores aceites',
    colWorse: 'piores (Δ ≤ 0) aceites / tentados',
    colValue: 'valor',
    colBest: 'melhor',
    traceSummary: 'Os níveis como <code>sa_study --trace --csv</code> os escreve',
    traceLabel: 'O traço em CSV',
    keyNeighbours: 'um dígito trocado',
    steerLegend: 'Temperatura à mão',
    steerHold: 'Fixar T nos níveis seguintes',
    steerSlider: 'T',
    steerTyped: 'ou escreva T',
    steerHeld: (value) => `Fixada: cada novo nível corre a T = ${value}; o esquema continua a dizer quantos níveis há.`,
    steerFree: (value) => `O esquema define T: ${value} neste nível.`,
    runSteered: (levels) => `Conduzida à mão em ${levels}: esta já não é a execução do esquema.`,
    byHand: (value) => `${value} (à mão)`,
    chartByHand: 'à mão',
    decisionEmpty: 'A probabilidade de aceitar cada movimento, feita uma tentativa',
    decisionChance: 'probabilidade de aceitar',
    decisionDemo: (value) => `A probabilidade de a regra da demo aceitar um movimento de variação Δ a T = ${value}: ` +
      'exp(Δ/T) enquanto esta for maior do que 1 em 10\u00a0000; abaixo disso, ainda 1 em 10\u00a0000, o sorteio r = 0, até ' +
      'exp(Δ/T) ser 0 em precisão dupla. Uma probabilidade abaixo de 10⁻⁵ é desenhada no fundo do gráfico. Os ' +
      'círculos marcam o Δ desta tentativa e o seu sorteio r.',
    decisionContinuous: (value) => `A probabilidade de a aceitação contínua aceitar um movimento de variação Δ a T = ` +
      `${value}: exp(Δ/T). Uma probabilidade abaixo de 10⁻⁵ é desenhada no fundo do gráfico. Os círculos marcam o Δ ` +
      'desta tentativa e o seu sorteio r.',
    decisionLabel: (delta, chance, r, verdict) =>
      `Esta tentativa: Δ = ${delta}, aceite com probabilidade ${chance}; sorteio r ${r}; ${verdict}`,

    studyTitle: 'Um estudo: muitas execuções do esquema',
    studyNote: 'A execução i começa no segundo do relógio semente + i, como <code>sa_study --seed S --runs N</code> ' +
      'a corre. As barras mostram onde ficam os melhores pontos das execuções.',
    studyStart: 'Fazer o estudo',
    cancel: 'Cancelar',
    studyProgress: 'Execuções feitas',
    resultRuns: 'Execuções',
    resultExact: 'No ótimo exato',
    resultGlobal: 'No pico global',
    resultSecond: 'No segundo pico',
    resultMean: 'Melhor valor médio',
    resultTime: 'Tempo por execução',
    studyCsvSummary: 'O estudo como <code>sa_study --csv</code> o escreve',
    studyCsvLabel: 'O estudo em CSV',
    studyPlotLabel: 'f no intervalo, com um histograma de onde as execuções acabaram',
    timeLeft: (text, left) => `${text}, faltam ${left}`,
    studyDone: (runs, seconds) => `Feito: ${runs} em ${seconds} s.`,
    cancelled: (done) => `Cancelado após ${done}: sem resultados.`,
    outdated: 'Os campos mudaram desde então: corra de novo para o esquema que eles têm.',
    shareOf: (share, count) => `${share} (${count})`,
    medianTime: (time) => `cerca de ${time} µs (mediana)`,
    medianBelowClock: 'mais curta do que um tique do relógio da página (mediana)',
    countAxis: 'execuções',
    studyCaption: (schedule, seed) => `${schedule}; semente ${seed}.`,

    populationTitle: 'Muitas execuções a arrefecer juntas, contra a distribuição de Boltzmann',
    populationNote: 'Todas as execuções do estudo, arrefecidas juntas: no fim de cada nível, onde estão (as barras, o ' +
      'seu x atual) e onde as poria a distribuição de Boltzmann da grelha à T desse nível, proporcional a ' +
      'exp(f(x)/T) (sombreado). Com a aceitação contínua, é o equilíbrio da própria cadeia das execuções: inverter um ' +
      'bit sorteado é tão provável como invertê-lo de volta, e a regra de Metropolis aceita um movimento pior com ' +
      'probabilidade exp(Δ/T), enquanto esta for 2⁻⁵³ ou mais, o passo mais fino de r (na grelha do demo, T acima ' +
      'de cerca de 0,035). Com a regra do demo, é o equilíbrio dos livros: r = 0 sai uma vez em 10 000 sorteios ' +
      'e aceita qualquer movimento pior cujo exp(Δ/T) não seja 0, um piso de 1 em 10 000 que afasta dela as ' +
      'execuções a baixa temperatura. A distância é a variação total sobre as colinas de f: 0 quando as execuções ' +
      'ocupam cada colina na parte que Boltzmann lhe dá, 1 quando não ocupam nada dela.',
    populationStart: 'Arrefecer as execuções juntas',
    populationHint: 'Carregue em “Arrefecer as execuções juntas”.',
    populationProgress: 'Níveis feitos',
    populationControls: 'Controlos da população',
    keyRuns: 'onde estão as execuções',
    keyEquilibrium: 'distribuição de Boltzmann a esta T',
    popGlobal: 'No pico global',
    popSecond: 'No segundo pico',
    popDistance: 'Distância',
    populationDone: (levels, seconds) => `Feito: ${levels} em ${seconds} s.`,
    populationAt: (level, temperature) => `${level}, T = ${temperature}`,
    againstEquilibrium: (share, boltzmann) => `${share} (Boltzmann ${boltzmann})`,
    populationPlotLabel: (level, distance) =>
      `Onde estão as execuções no nível ${level}, contra a distribuição de Boltzmann; distância ${distance}`,
    populationChartLabel: 'Frações no pico global e no segundo pico, as de Boltzmann tracejadas, e a distância a ela, ' +
      'nível a nível',
    chartShareGlobal: 'pico global',
    chartShareSecond: 'segundo pico',
    chartEquilibrium: 'Boltzmann',
    chartDistance: 'distância',
    levelText: (level, temperature) => `nível ${level}, T = ${temperature}`,

    landscapesTitle: 'Quatro paisagens',
    landscapesNote: 'Cada uma das quatro paisagens predefinidas com uma subida pura (T0 10⁻⁶, T final 10⁻⁷, em que ' +
      'um movimento pior quase nunca é aceite), o esquema do demo e um mais lento (α 0,99), com a semente e as ' +
      'execuções dos campos: doze estudos, um após outro. Cada gráfico marca as duas colinas mais altas da sua ' +
      'paisagem.',
    landscapesStart: 'Fazer os doze estudos',
    landscapesProgress: 'Execuções feitas',
    landscapesDone: (studies, runs, seconds) => `Feito: ${studies} estudos, ${runs}, em ${seconds} s.`,
    landscapesPlotLabel: (name) => `A paisagem ${name}, f no seu intervalo, com as suas duas colinas mais altas marcadas`,
    landscapesTableLabel: 'Os doze estudos',
    landscapesTable: {
      columns: {
        schedule: 'Esquema', exact: 'Melhor no ótimo exato', global: 'Melhor no pico global',
        tts: 'TTS99, ótimo exato', peakTts: 'TTS99, pico global',
      },
      schedules: { climb: 'subida pura', demo: 'o do demo', slow: 'lento, α 0,99' },
      caption: 'Frações das execuções pelo lugar do seu melhor ponto; TTS99 em tentativas, contando os recomeços.',
    },
    landscapesSchedule: 'smooth, needle, deceptive e rugged, cada uma com uma subida pura, o esquema do demo e alfa 0,99',
    sweepTitle: 'Esquemas comparados: tempo até à solução',
    sweepNote: 'Uma execução que falha pode ser repetida, por isso o número pelo qual escolher um esquema é o tempo ' +
      'até à solução: as tentativas necessárias para chegar ao ótimo exato com 99 % de probabilidade quando se ' +
      'recomeça até uma execução acertar. Se uma execução acerta com probabilidade p, são precisas R99 = ln 0,01 / ' +
      'ln(1 − p) execuções, e TTS99 = R99 × tentativas por execução. Execuções curtas são baratas mas raramente ' +
      'acertam; as suficientemente longas acertam muitas vezes mas custam mais do que o acerto compensa: uma linha ' +
      'tem o seu mínimo onde as duas coisas se equilibram, dentro do intervalo varrido ou para lá dele. Cada ' +
      'valor abaixo aceita uma lista (0,8;0,9) ou um intervalo (início:fim:passo); as tentativas por nível, os ' +
      'bits, a semente e as execuções vêm do esquema acima.',
    sweepHint: 'Carregue em “Comparar os esquemas” para os desenhar aqui.',
    sweepAlphas: 'Fatores de arrefecimento',
    sweepFinals: 'Temperaturas finais',
    sweepStart: 'Comparar os esquemas',
    sweepProgress: 'Execuções feitas',
    sweepCsvSummary: 'As linhas de <code>sa_study --csv</code>',
    sweepTableLabel: 'Os esquemas comparados, como sa_study --csv os escreve',
    sweepDone: (schedules, seconds) => `Feito: ${schedules} em ${seconds} s.`,
    schedules: (n, shown) => `${shown} ${plural(n, 'esquema', 'esquemas')}`,
    sweepChartLabel: 'Fração de execuções no ótimo exato e TTS99 contra as tentativas por execução, uma linha por fator',
    chartSuccess: 'ótimo exato',
    chartTts: 'TTS99 (tentativas)',
    chartTrialsPerRun: 'tentativas por execução',
    lessonLeast: (schedule, tts, r99, perRun) =>
      `O menor TTS99: ${schedule}: ${tts} tentativas, R99 = ${r99} execuções de ${perRun}.`,
    noSuccess: 'Nenhum esquema chegou ao ótimo exato: não há tempo até à solução.',
    caseText: (t0, alpha, tFinal, trials, bits) =>
      `T0 ${t0}, alfa ${alpha}, T final ${tFinal}, ${trials} por nível, ${bits} bits`,

    consoleTitle: 'O próprio sa_demo',
    consoleNote: 'O programa como corre num terminal: 1 sorteia uma solução, 2 recoze-a, 0 sai. Os seus números ' +
      'aleatórios têm como semente o segundo do relógio.',
    clockSecond: 'Segundo do relógio',
    startAgain: 'Começar de novo',
    consoleLabel: 'A saída do sa_demo',
    yourChoice: 'A sua escolha',
    enter: 'Enter',
    ended: (status) => `[o sa_demo terminou com o estado ${status}: comece de novo para outra sessão]`,
    secondName: 'Segundo do relógio',

    footer: 'sa_demo e sa_study: licença MIT. A página funciona aberta do disco; não vai buscar nada.',
  };

  window.saPage = window.saPage || {};
  window.saPage.texts = { en, pt };
})();
