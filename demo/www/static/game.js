// 翼川巡游: fly the wing through the valley, collect spirit orbs, dodge falling rocks.
(function () {
  "use strict";

  var TITLE_PREFIX = "岚汐翼川记- ";
  var PORTAL_HOST = "www.qovan.localhost";
  var params = new URLSearchParams(location.search);
  var canvas = document.getElementById("game-canvas");
  var ctx = canvas.getContext("2d");
  var overlay = document.getElementById("overlay");
  var logList = document.getElementById("log");

  document.getElementById("hud-account").textContent = params.get("account") || "游客";
  document.getElementById("hud-server").textContent = params.get("server_id") || "?";

  // "app://entergame|name|/path" links get the portal's full address.
  var portalOrigin = "http://" + PORTAL_HOST + (location.port ? ":" + location.port : "");
  document.querySelectorAll("a[href^='app://entergame|']").forEach(function (link) {
    var href = link.getAttribute("href");
    var bar = href.indexOf("|/");
    if (bar >= 0)
      link.setAttribute("href", href.slice(0, bar + 1) + portalOrigin + href.slice(bar + 1));
  });

  function setPage(name) {
    document.title = TITLE_PREFIX + name;
  }
  document.getElementById("btn-battle").addEventListener("click", function () { setPage("战斗中"); log("出城迎战山魈"); });
  document.getElementById("btn-town").addEventListener("click", function () { setPage("主城"); log("返回主城休整"); });
  document.getElementById("btn-url-title").addEventListener("click", function () { document.title = location.href; });

  function log(text) {
    var item = document.createElement("li");
    item.textContent = text;
    logList.insertBefore(item, logList.firstChild);
    while (logList.children.length > 8)
      logList.removeChild(logList.lastChild);
  }

  // Sound: a quiet continuous drone and a short tone for every action.
  var audio = null;
  var tones = 0;
  function startAudio() {
    if (!audio) {
      var Context = window.AudioContext || window.webkitAudioContext;
      if (!Context)
        return;
      audio = new Context();
      var drone = audio.createOscillator();
      var droneGain = audio.createGain();
      drone.type = "sine";
      drone.frequency.value = 220;
      droneGain.gain.value = 0.04;
      drone.connect(droneGain).connect(audio.destination);
      drone.start();
    }
    if (audio.state === "suspended")
      audio.resume();
    updateSoundState();
  }
  function tone(frequency, duration) {
    tones++;
    if (!audio)
      return;
    var osc = audio.createOscillator();
    var gain = audio.createGain();
    var now = audio.currentTime;
    osc.type = "triangle";
    osc.frequency.value = frequency;
    gain.gain.setValueAtTime(0.18, now);
    gain.gain.exponentialRampToValueAtTime(0.001, now + duration);
    osc.connect(gain).connect(audio.destination);
    osc.start(now);
    osc.stop(now + duration);
  }
  function updateSoundState() {
    var state = audio ? audio.state : "none";
    var label = document.getElementById("sound-state");
    label.classList.toggle("off", state !== "running");
    label.textContent = state === "running" ? "♪ 音效开启" : "♪ 点击开启音效";
  }

  // Game state, in canvas pixels.
  var width = 0, height = 0;
  var player = { x: 120, y: 200, vx: 0, vy: 0, dash: 0 };
  var orbs = [], rocks = [], sparks = [];
  var keys = {};
  var target = null;
  var score = 0, lives = 3, running = false, over = false, lastTime = 0, spawnClock = 0;
  var clouds = [];
  for (var i = 0; i < 14; i++)
    clouds.push({ x: Math.random(), y: Math.random(), r: 30 + Math.random() * 70, speed: 0.01 + Math.random() * 0.03 });

  function resize() {
    var ratio = window.devicePixelRatio || 1;
    width = canvas.clientWidth;
    height = canvas.clientHeight;
    canvas.width = Math.max(1, Math.round(width * ratio));
    canvas.height = Math.max(1, Math.round(height * ratio));
    ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
  }
  window.addEventListener("resize", resize);

  function begin() {
    startAudio();
    if (running)
      return;
    if (over) {
      score = 0; lives = 3; orbs = []; rocks = []; over = false;
      player.x = width * 0.2; player.y = height / 2;
      log("重新开始巡游");
    }
    running = true;
    overlay.classList.add("hidden");
    updateHud();
  }

  function updateHud() {
    document.getElementById("score").textContent = String(score);
    document.getElementById("lives").textContent = String(lives);
  }

  var MOVE_KEYS = { ArrowUp: 1, ArrowDown: 1, ArrowLeft: 1, ArrowRight: 1, w: 1, a: 1, s: 1, d: 1, W: 1, A: 1, S: 1, D: 1 };
  window.addEventListener("keydown", function (event) {
    if (MOVE_KEYS[event.key] || event.key === " ") {
      event.preventDefault();
      if (!event.repeat) {
        begin();
        tone(event.key === " " ? 660 : 440, 0.12);
        if (event.key === " ")
          player.dash = 0.25;
      }
      keys[event.key.length === 1 ? event.key.toLowerCase() : event.key] = true;
    }
  });
  window.addEventListener("keyup", function (event) {
    keys[event.key.length === 1 ? event.key.toLowerCase() : event.key] = false;
  });
  canvas.addEventListener("mousedown", function (event) {
    var rect = canvas.getBoundingClientRect();
    target = { x: event.clientX - rect.left, y: event.clientY - rect.top };
    canvas.focus();
    begin();
    tone(520, 0.1);
  });
  document.addEventListener("click", startAudio);

  function spawn(dt) {
    spawnClock += dt;
    if (spawnClock < 0.45)
      return;
    spawnClock = 0;
    if (Math.random() < 0.65)
      orbs.push({ x: width + 20, y: 30 + Math.random() * (height - 60), phase: Math.random() * 6 });
    else
      rocks.push({ x: width * (0.3 + Math.random() * 0.7), y: -30, vy: 90 + Math.random() * 120, r: 12 + Math.random() * 12, spin: Math.random() * 6 });
  }

  function step(dt) {
    var speed = 260 * (player.dash > 0 ? 2 : 1);
    player.dash = Math.max(0, player.dash - dt);
    var ax = (keys.ArrowRight || keys.d ? 1 : 0) - (keys.ArrowLeft || keys.a ? 1 : 0);
    var ay = (keys.ArrowDown || keys.s ? 1 : 0) - (keys.ArrowUp || keys.w ? 1 : 0);
    if (ax || ay) {
      target = null;
    } else if (target) {
      var dx = target.x - player.x, dy = target.y - player.y, dist = Math.hypot(dx, dy);
      if (dist < 6) target = null; else { ax = dx / dist; ay = dy / dist; }
    }
    player.x = Math.min(width - 20, Math.max(20, player.x + ax * speed * dt));
    player.y = Math.min(height - 20, Math.max(20, player.y + ay * speed * dt));

    spawn(dt);
    orbs.forEach(function (orb) { orb.x -= 120 * dt; orb.phase += dt * 4; });
    rocks.forEach(function (rock) { rock.y += rock.vy * dt; rock.spin += dt * 2; });
    orbs = orbs.filter(function (orb) {
      if (Math.hypot(orb.x - player.x, orb.y - player.y) < 26) {
        score += 10;
        burst(orb.x, orb.y, "#f7d889");
        tone(880, 0.15);
        if (score % 100 === 0) log("灵珠已达 " + score);
        updateHud();
        return false;
      }
      return orb.x > -20;
    });
    rocks = rocks.filter(function (rock) {
      if (Math.hypot(rock.x - player.x, rock.y - player.y) < rock.r + 14) {
        lives--;
        burst(rock.x, rock.y, "#c0392b");
        tone(150, 0.3);
        log("被山石击中，剩余生命 " + lives);
        updateHud();
        if (lives <= 0) finish();
        return false;
      }
      return rock.y < height + 40;
    });
    sparks.forEach(function (s) { s.x += s.vx * dt; s.y += s.vy * dt; s.life -= dt; });
    sparks = sparks.filter(function (s) { return s.life > 0; });
  }

  function finish() {
    running = false;
    over = true;
    document.getElementById("overlay-title").textContent = "巡游结束";
    document.getElementById("overlay-text").textContent = "本次收集灵珠 " + score + " 颗";
    overlay.classList.remove("hidden");
    log("巡游结束，得分 " + score);
  }

  function burst(x, y, color) {
    for (var i = 0; i < 14; i++) {
      var a = Math.random() * Math.PI * 2, v = 60 + Math.random() * 120;
      sparks.push({ x: x, y: y, vx: Math.cos(a) * v, vy: Math.sin(a) * v, life: 0.5, color: color });
    }
  }

  function draw(time) {
    var sky = ctx.createLinearGradient(0, 0, 0, height);
    sky.addColorStop(0, "#0e2c4a");
    sky.addColorStop(0.6, "#1d4f73");
    sky.addColorStop(1, "#3b6f83");
    ctx.fillStyle = sky;
    ctx.fillRect(0, 0, width, height);

    ctx.fillStyle = "rgba(255,255,255,0.05)";
    clouds.forEach(function (c) {
      var x = ((c.x - time * c.speed / 10) % 1 + 1) % 1 * (width + 200) - 100;
      ctx.beginPath();
      ctx.ellipse(x, c.y * height * 0.7, c.r * 1.8, c.r * 0.6, 0, 0, Math.PI * 2);
      ctx.fill();
    });
    // Distant mountains.
    ctx.fillStyle = "#14364f";
    ctx.beginPath();
    ctx.moveTo(0, height);
    for (var x = 0; x < width + 40; x += 40)
      ctx.lineTo(x, height - 80 - Math.sin(x / 90 + time / 20) * 40 - Math.sin(x / 37) * 18);
    ctx.lineTo(width, height);
    ctx.fill();

    orbs.forEach(function (orb) {
      var glow = ctx.createRadialGradient(orb.x, orb.y, 2, orb.x, orb.y, 18);
      glow.addColorStop(0, "#fff6d0");
      glow.addColorStop(0.4, "#f3c95a");
      glow.addColorStop(1, "rgba(243,201,90,0)");
      ctx.fillStyle = glow;
      ctx.beginPath();
      ctx.arc(orb.x, orb.y + Math.sin(orb.phase) * 4, 18, 0, Math.PI * 2);
      ctx.fill();
    });
    rocks.forEach(function (rock) {
      ctx.save();
      ctx.translate(rock.x, rock.y);
      ctx.rotate(rock.spin);
      ctx.fillStyle = "#4a3a33";
      ctx.strokeStyle = "#7a5f50";
      ctx.beginPath();
      for (var k = 0; k < 7; k++) {
        var a = k / 7 * Math.PI * 2, r = rock.r * (0.75 + (k % 3) * 0.15);
        ctx.lineTo(Math.cos(a) * r, Math.sin(a) * r);
      }
      ctx.closePath();
      ctx.fill();
      ctx.stroke();
      ctx.restore();
    });
    sparks.forEach(function (s) {
      ctx.globalAlpha = Math.max(0, s.life * 2);
      ctx.fillStyle = s.color;
      ctx.fillRect(s.x - 2, s.y - 2, 4, 4);
    });
    ctx.globalAlpha = 1;

    // The wing.
    var flap = Math.sin(time * 10) * 8;
    ctx.save();
    ctx.translate(player.x, player.y);
    ctx.fillStyle = player.dash > 0 ? "#ffffff" : "#f3d68c";
    ctx.strokeStyle = "#c28f2e";
    ctx.lineWidth = 2;
    ctx.beginPath();
    ctx.moveTo(16, 0);
    ctx.quadraticCurveTo(-4, -22 - flap, -20, -14 - flap);
    ctx.quadraticCurveTo(-8, -4, -14, 0);
    ctx.quadraticCurveTo(-8, 4, -20, 14 + flap);
    ctx.quadraticCurveTo(-4, 22 + flap, 16, 0);
    ctx.fill();
    ctx.stroke();
    ctx.restore();
  }

  function frame(now) {
    var dt = Math.min(0.05, (now - lastTime) / 1000 || 0);
    lastTime = now;
    if (running)
      step(dt);
    draw(now / 1000);
    requestAnimationFrame(frame);
  }

  resize();
  player.y = height / 2;
  startAudio();
  log("抵达主城 · " + (params.get("server_id") || "?") + "服");
  requestAnimationFrame(frame);

  window.demoGame = {
    get score() { return score; },
    get tones() { return tones; },
    audioState: function () { return audio ? audio.state : "none"; },
    setPage: setPage
  };
})();
