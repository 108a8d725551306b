// The music probe's page: plays the victory music at a click, like the game (browsers keep audio
// off until the person acts), with the patches the game ships (?patches=trimmed, the default) or
// with the same patches whole, as freepats has them (?patches=full). The mixer's Timidity reads
// the configuration TIMIDITY_CFG names before any other.
'use strict';
(function () {
  const patches = new URLSearchParams(window.location.search).get('patches') || 'trimmed';
  const cfg = { trimmed: '/etc/timidity.cfg', full: '/full/timidity.cfg' }[patches];
  if (!cfg) {
    throw new Error(`no patches called ${patches}: trimmed or full`);
  }
  window.probeLines = [];
  window.Module = {
    preRun: [() => { window.Module.ENV.TIMIDITY_CFG = cfg; }],
    print: (line) => { console.log(line); window.probeLines.push(line); },
    printErr: (line) => console.warn(line),
    onRuntimeInitialized: () => { document.title = 'ready'; },
  };
  document.getElementById('play').addEventListener('click', () => window.Module.callMain([]));
})();
