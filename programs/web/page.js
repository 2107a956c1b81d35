"use strict";
// The page around the show: its start screen, its states for other scripts
// (window.NAME, NAME the production's, as index.html names it), full screen,
// and the show's program and data. The show (main.cpp) calls in through
// page.cpp, which finds the same states as Module.page.
(function () {
  const query = new URLSearchParams(location.search);
  const element = (id) => document.getElementById(id);
  const name = document.currentScript.dataset.production;
  // `timeline`: when each state began, in ms since the page was opened.
  const page = (window[name] = {
    state: "start", time: 0, errors: [], timeline: [["start", performance.now()]],
  });

  function show(id, shown) {
    element(id).classList.toggle("hidden", !shown);
  }

  function fail(sentence) {
    page.setState("failed");
    show("start", false);
    element("message").textContent = sentence;
    show("message", true);
  }

  page.setState = function (state) {
    page.state = state;
    page.timeline.push([state, performance.now()]);
    const button = { paused: "Play from here", ended: "Play again" }[state];
    element("play").textContent = button || "";
    show("play", Boolean(button));
    // Notices stay for a while into the show, then leave it alone.
    if (state === "playing")
      setTimeout(() => show("notices", false), 5000);
  };

  page.notice = function (text) {
    const item = document.createElement("li");
    item.textContent = text;
    element("notices").appendChild(item);
    console.warn("page: " + text);
  };

  // Browsers let a page make sound only after a gesture, unless told
  // otherwise. Where the browser says so itself, that decides: Firefox's new
  // context starts suspended even where sound is allowed. Elsewhere a
  // context made now says which.
  function soundMayStart() {
    if (navigator.getAutoplayPolicy)
      return navigator.getAutoplayPolicy("audiocontext") === "allowed";
    const context = new AudioContext();
    const running = context.state === "running";
    context.close();
    return running;
  }

  // The moment the viewer started the show goes into the timeline as
  // "started" (the moment the page opened, under ?autoplay).
  const started = new Promise(function (resolve) {
    const start = function () {
      page.timeline.push(["started", performance.now()]);
      resolve();
    };
    if (query.has("autoplay") && soundMayStart()) {
      start();
      return;
    }
    show("start", true);
    element("start").addEventListener("click", function () {
      show("start", false);
      start();
    }, { once: true });
  });
  page.waitForStart = () => started;

  page.waitForPlay = () => new Promise(function (resolve) {
    element("play").onclick = function () {
      show("play", false);
      resolve();
    };
  });

  function toggleFullScreen() {
    if (document.fullscreenElement)
      document.exitFullscreen();
    else
      element("stage").requestFullscreen();
  }
  document.addEventListener("keydown", function (event) {
    if ((event.key === "f" || event.key === "F") && !event.repeat)
      toggleFullScreen();
  });
  element("stage").addEventListener("dblclick", toggleFullScreen);

  if (!document.createElement("canvas").getContext("webgl2")) {
    fail("This browser cannot draw with WebGL 2, which the show needs: "
         + "a current Chromium, Firefox or Safari can, with graphics acceleration on.");
    return;
  }

  // What the desktop would print on standard error goes to the console and
  // into the page's errors; what the audio says concerns what the viewer
  // hears (no sound), so it is a notice too. A program that stops says so on
  // the page.
  window.Module = {
    page: page,
    canvas: element("canvas"),
    print: (text) => console.log(text),
    printErr: function (text) {
      page.errors.push(text);
      console.error(text);
      if (text.startsWith("audio: "))
        page.notice(text.slice("audio: ".length));
    },
    onAbort: () => fail("The show stopped: " + (page.errors.slice(-1)[0] || "an internal error") + "."),
    onExit: function (status) {
      if (status !== 0)
        fail("The show stopped: " + (page.errors.slice(-1)[0] || "status " + status) + ".");
    },
  };
  // The data package fills the file system before the program starts.
  for (const file of [name + "-data.js", name + ".js"]) {
    const script = document.createElement("script");
    script.src = file;
    script.async = false;
    document.body.appendChild(script);
  }
})();
