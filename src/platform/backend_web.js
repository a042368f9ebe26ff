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
//                 event read); audioCalls (device buffers rendered), audioValues (values in
//                 them), audioAbsSum (sum of their sizes)
mergeInto(LibraryManager.library, {
  $Web: {
    image: null,      // ImageData the size of the screen
    context: null,    // the canvas's 2D context
    events: [],       // waiting events: type | sym << 8
    listening: null,  // AbortController of the key listeners, while the screen is open
    clockStart: -1,   // performance.now() at the first tick
    audio: null,      // {context, frequency, channels, samples, next, playing}

    // The key symbols the desktop receives for the keys that can matter: letters and digits
    // by their unshifted character, keypad, arrows and function keys by their codes.
    keySym: function(code) {
      if (/^Key[A-Z]$/.test(code)) return code.charCodeAt(3) + 32;
      if (/^Digit[0-9]$/.test(code)) return code.charCodeAt(5);
      if (/^Numpad[0-9]$/.test(code)) return 256 + code.charCodeAt(6) - 48;
      if (/^F([1-9]|1[0-5])$/.test(code)) return 281 + Number(code.slice(1));
      var named = {
        'Escape': 27, 'Space': 32, 'Enter': 13, 'Tab': 9, 'Backspace': 8, 'Delete': 127,
        'Minus': 45, 'Equal': 61, 'BracketLeft': 91, 'BracketRight': 93, 'Backslash': 92,
        'Semicolon': 59, 'Quote': 39, 'Backquote': 96, 'Comma': 44, 'Period': 46, 'Slash': 47,
        'ArrowUp': 273, 'ArrowDown': 274, 'ArrowRight': 275, 'ArrowLeft': 276,
        'Insert': 277, 'Home': 278, 'End': 279, 'PageUp': 280, 'PageDown': 281,
      };
      return named[code] || 0;
    },

    onKey: function(event) {
      // The desktop does not repeat held keys; the browser's shortcuts keep working.
      if (event.repeat || event.ctrlKey || event.altKey || event.metaKey) return;
      var sym = Web.keySym(event.code);
      if (sym === 0) return;
      event.preventDefault();
      Web.events.push((event.type === 'keydown' ? 2 : 3) | (sym << 8));
      var stats = Module['stats'];
      if (stats) stats.keysQueued++;
    },
  },

  web_open_screen__deps: ['$Web'],
  web_open_screen: function(width, height) {
    var canvas = Module['canvas'];
    if (!canvas) return -1;
    canvas.width = width;
    canvas.height = height;
    Web.context = canvas.getContext('2d', {alpha: false});
    Web.image = Web.context.createImageData(width, height);
    Web.events = [];
    if (!Web.listening) {
      Web.listening = new AbortController();
      var options = {signal: Web.listening.signal};
      window.addEventListener('keydown', Web.onKey, options);
      window.addEventListener('keyup', Web.onKey, options);
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
    if (!Web.image || Web.image.width !== width || Web.image.height !== height) return;
    Web.image.data.set(HEAPU8.subarray(rgba, rgba + width * height * 4));
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
  web_audio_open: function(frequency, channels, samples) {
    if (Module['audioContext'] === undefined) return -1;
    Web.audio = {frequency: frequency, channels: channels, samples: samples, next: 0, playing: new Set()};
    return 0;
  },

  // Keeps about a quarter of a second queued: enough to ride out a scene change, little
  // enough that the sound follows the picture.
  web_audio_due__deps: ['$Web'],
  web_audio_due: function() {
    var audio = Web.audio;
    if (!audio) return 0;
    audio.context = Module['audioContext'];
    if (!audio.context) return 0;
    var now = audio.context.currentTime;
    var length = audio.samples / audio.frequency;
    if (audio.next < now + 0.01) audio.next = now + 0.05;  // starting, or starved: begin afresh
    var wanted = now + 0.25 - audio.next;
    return wanted > 0 ? Math.ceil(wanted / length) : 0;
  },

  web_audio_play__deps: ['$Web'],
  web_audio_play: function(bytes, len) {
    var audio = Web.audio;
    if (!audio) return;
    var values = len >> 1;
    var frames = Math.floor(values / audio.channels);
    var buffer = audio.context.createBuffer(audio.channels, frames, audio.frequency);
    var sum = 0;
    for (var c = 0; c < audio.channels; ++c) {
      var out = buffer.getChannelData(c);
      for (var i = 0; i < frames; ++i) {
        var v = HEAP16[(bytes >> 1) + i * audio.channels + c];
        out[i] = v / 32768;
        sum += v < 0 ? -v : v;
      }
    }
    var source = audio.context.createBufferSource();
    source.buffer = buffer;
    source.connect(audio.context.destination);
    source.onended = function() { audio.playing.delete(source); };
    audio.playing.add(source);
    source.start(audio.next);
    audio.next += frames / audio.frequency;
    var stats = Module['stats'];
    if (stats) {
      stats.audioCalls++;
      stats.audioValues += values;
      stats.audioAbsSum += sum;
    }
  },

  web_audio_stop__deps: ['$Web'],
  web_audio_stop: function() {
    var audio = Web.audio;
    if (!audio) return;
    audio.playing.forEach(function(source) { source.stop(); });
    audio.playing.clear();
    audio.next = 0;
  },
});
