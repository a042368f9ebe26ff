// The page half of the browser backend (backend_web.cpp): canvas, keys, clock and Web Audio.
// The page hands each run of the program what it owns through the module object:
//   canvas        the 2D canvas the screen is shown on
//   audioContext  the AudioContext to play through, made after the user's click; null while
//                 the page is still making it (the device plays nothing until then); left out,
//                 the program has no sound device
//   stats         an object whose counters this file advances: presents (screens shown, fade
//                 steps too) and firstFrameAt (performance.now() of the first); frame (numbered
//                 frames: the keyboard is read once after each), counter (the frame counter's
//                 value in the last of them, 0 to 255) and presentsSinceFrame (screens shown
//                 since: 0 while the canvas holds that frame); keysQueued and keysTaken (key
//                 events given to and read by the program) and keys ([frame, type, sym] of each
//                 event read); audioCalls (renderings), audioValues (values in them),
//                 audioAbsSum (sum of their sizes), and sound(), which tells where the sound
//                 is: {clock (the audio clock, s), aheadMs (rendered, not yet played),
//                 latencyMs (the browser's own output delay), gaps (times the sound ran out
//                 and began afresh)}, or null before it plays
// and takes from it pressKey(sym): a key press for the show from the page's own controls.
mergeInto(LibraryManager.library, {
  $Web: {
    image: null,      // ImageData over the screen's bytes in the program's memory
    context: null,    // the canvas's 2D context
    events: [],       // waiting events: type | sym << 8
    listening: null,  // AbortController of the key listeners, while the screen is open
    clockStart: -1,   // performance.now() at the first tick
    audio: null,      // {frequency, most, context, next (when the next buffer starts), sources: [{source, end}], gaps}

    // The keys the show reads, by the key symbol the desktop receives for them (letters and
    // digits by their unshifted character). Every other key is left to the browser.
    showKeys: {
      'Escape': 27, 'Space': 32, 'KeyQ': 113, 'KeyA': 97, 'KeyS': 115, 'KeyO': 111,
      'Digit1': 49, 'Digit2': 50, 'Digit4': 52, 'Digit5': 53, 'Digit8': 56, 'Digit9': 57,
    },

    queue: function(type, sym) {
      Web.events.push(type | (sym << 8));
      var stats = Module['stats'];
      if (stats) stats.keysQueued++;
    },

    onKey: function(event) {
      // The desktop does not repeat held keys; the browser's shortcuts keep working, and a
      // focused button takes its own Space.
      if (event.repeat || event.ctrlKey || event.altKey || event.metaKey) return;
      var sym = Web.showKeys[event.code];
      if (!sym || (sym === 32 && event.target instanceof HTMLButtonElement)) return;
      event.preventDefault();
      Web.queue(event.type === 'keydown' ? 2 : 3, sym);
    },

    // Seconds of rendered sound not yet heard.
    ahead: function(audio) {
      return Math.max(0, audio.next - audio.context.currentTime);
    },
  },

  web_open_screen__deps: ['$Web'],
  web_open_screen: function(width, height) {
    var canvas = Module['canvas'];
    if (!canvas) return -1;
    canvas.width = width;
    canvas.height = height;
    // Desynchronized: each frame goes to the screen without waiting for the page's own
    // rendering, which costs the browser far less work at 50 frames a second.
    Web.context = canvas.getContext('2d', {alpha: false, desynchronized: true});
    Web.image = null;
    Web.events = [];
    Module['pressKey'] = function(sym) { if (Web.listening) Web.queue(2, sym); };
    if (!Web.listening) {
      Web.listening = new AbortController();
      var options = {signal: Web.listening.signal};
      document.addEventListener('keydown', Web.onKey, options);
      document.addEventListener('keyup', Web.onKey, options);
    }
    return 0;
  },

  web_close_screen__deps: ['$Web'],
  web_close_screen: function() {
    if (Web.listening) Web.listening.abort();
    Web.listening = null;
    Web.events = [];
  },

  web_set_title: function(title) {
    document.title = UTF8ToString(title);
  },

  web_present__deps: ['$Web'],
  web_present: function(rgba, width, height) {
    if (!Web.context) return;
    // The image reads the program's memory in place; a grown memory is a new buffer.
    if (!Web.image || Web.image.data.buffer !== HEAPU8.buffer || Web.image.data.byteOffset !== rgba ||
        Web.image.width !== width || Web.image.height !== height) {
      Web.image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4), width, height);
    }
    Web.context.putImageData(Web.image, 0, 0);
    var stats = Module['stats'];
    if (!stats) return;
    if (stats.presents++ === 0) stats.firstFrameAt = performance.now();
    stats.presentsSinceFrame++;
  },

  web_frame_polled: function(counter) {
    var stats = Module['stats'];
    if (!stats) return;
    stats.frame++;
    stats.counter = counter;
    stats.presentsSinceFrame = 0;
  },

  web_poll_event__deps: ['$Web'],
  web_poll_event: function() {
    if (Web.events.length === 0) return 0;
    var packed = Web.events.shift();
    var stats = Module['stats'];
    if (stats) {
      stats.keysTaken++;
      stats.keys.push([stats.frame, packed & 0xFF, packed >> 8]);
    }
    return packed;
  },

  web_ticks_ms__deps: ['$Web'],
  web_ticks_ms: function() {
    var now = performance.now();
    if (Web.clockStart < 0) Web.clockStart = now;
    return (now - Web.clockStart) >>> 0;
  },

  web_audio_open__deps: ['$Web'],
  web_audio_open: function(frequency, most) {
    if (Module['audioContext'] === undefined) return -1;
    var audio = {frequency: frequency, most: most, context: null, next: 0, sources: [], gaps: 0};
    Web.audio = audio;
    var stats = Module['stats'];
    if (stats) {
      stats.sound = function() {
        var context = audio.context;
        if (!context) return null;
        return {clock: context.currentTime, aheadMs: Web.ahead(audio) * 1000,
                latencyMs: ((context.baseLatency || 0) + (context.outputLatency || 0)) * 1000, gaps: audio.gaps};
      };
    }
    return 0;
  },

  // The sound is played as short buffers scheduled back to back, each rendered just before
  // it is needed: about two frames' worth queued rides out a late frame and keeps the sound
  // within a few hundredths of a second of the picture. (An AudioWorklet would cost the
  // browser more: it runs script for every 128 values.)
  web_audio_due__deps: ['$Web'],
  web_audio_due: function() {
    var audio = Web.audio;
    var context = Module['audioContext'];
    if (!audio || !context) return 0;
    audio.context = context;
    // Sources that have played are let go here rather than by an event each.
    while (audio.sources.length > 0 && audio.sources[0].end <= context.currentTime) audio.sources.shift();
    if (audio.next < context.currentTime + 0.002) {  // starting, or starved: begin afresh
      if (audio.next > 0) audio.gaps++;
      audio.next = context.currentTime + 0.01;
    }
    var wanted = Math.round((0.04 - Web.ahead(audio)) * audio.frequency);
    return wanted < 256 ? 0 : Math.min(wanted, audio.most);
  },

  web_audio_play__deps: ['$Web'],
  web_audio_play: function(values, count) {
    var audio = Web.audio;
    if (!audio || !audio.context) return;
    var buffer = audio.context.createBuffer(1, count, audio.frequency);
    var out = buffer.getChannelData(0);
    var sum = 0;
    for (var i = 0, at = values >> 1; i < count; ++i) {
      var v = HEAP16[at + i];
      out[i] = v / 32768;
      sum += v < 0 ? -v : v;
    }
    var source = audio.context.createBufferSource();
    source.buffer = buffer;
    source.connect(audio.context.destination);
    source.start(audio.next);
    audio.next += count / audio.frequency;
    audio.sources.push({source: source, end: audio.next});
    var stats = Module['stats'];
    if (stats) {
      stats.audioCalls++;
      stats.audioValues += count;
      stats.audioAbsSum += sum;
    }
  },

  web_audio_stop__deps: ['$Web'],
  web_audio_stop: function() {
    var audio = Web.audio;
    if (!audio) return;
    audio.sources.forEach(function(playing) { playing.source.stop(); });
    audio.sources = [];
    audio.next = 0;
  },

  web_audio_close__deps: ['$Web', 'web_audio_stop'],
  web_audio_close: function() {
    _web_audio_stop();
    Web.audio = null;
  },
});
