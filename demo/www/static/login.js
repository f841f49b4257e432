// Login page of the launcher: pick an account and a server, then hand them to the
// launcher through an app:// address.
(function () {
  "use strict";

  var accountInput = document.getElementById("account");
  var accountItems = document.querySelectorAll("#account-list li");
  var serverButtons = document.querySelectorAll("#server-list button");
  var enterLink = document.getElementById("enter-link");
  var form = document.getElementById("enter-form");
  var message = document.getElementById("message");
  var server = "1";

  function account() {
    return accountInput.value.trim();
  }

  // The game page this account and server play on.
  function gameUrl(withStamp) {
    var url = location.origin + "/game/?account=" + encodeURIComponent(account()) +
        "&server_id=" + encodeURIComponent(server);
    return withStamp ? url + "&t=" + Date.now() : url;
  }

  function queryAddress() {
    return "app://loadgame|" + gameUrl(true);
  }

  function argumentAddress() {
    return "app://loadgame:" + account() + "," + server + "|" + gameUrl(false);
  }

  function refresh() {
    accountItems.forEach(function (item) {
      item.classList.toggle("selected", item.dataset.account === account());
    });
    serverButtons.forEach(function (button) {
      button.classList.toggle("selected", button.dataset.server === server);
    });
    document.getElementById("selection-server").textContent = server + "服";
    document.getElementById("selection-account").textContent = account() || "（未填写）";
    enterLink.href = argumentAddress();
    form.action = "app://loadgame|" + location.origin + "/game/";
    form.elements.account.value = account();
    form.elements.server_id.value = server;
    message.textContent = "";
  }

  function select(name, serverId) {
    if (typeof name === "string")
      accountInput.value = name;
    if (serverId !== undefined && serverId !== null)
      server = String(serverId);
    refresh();
  }

  // An empty account cannot log in: say so and stay on the page.
  function ready() {
    if (account() !== "")
      return true;
    message.textContent = "请输入或选择一个游戏账号";
    accountInput.focus();
    return false;
  }

  accountItems.forEach(function (item) {
    item.addEventListener("click", function () { select(item.dataset.account); });
  });
  serverButtons.forEach(function (button) {
    button.addEventListener("click", function () { select(null, button.dataset.server); });
  });
  accountInput.addEventListener("input", refresh);
  accountInput.addEventListener("keydown", function (event) {
    if (event.key === "Enter")
      document.getElementById("enter-game").click();
  });
  document.getElementById("enter-game").addEventListener("click", function () {
    if (ready())
      location.href = queryAddress();
  });
  enterLink.addEventListener("click", function (event) {
    if (!ready())
      event.preventDefault();
  });
  form.addEventListener("submit", function (event) {
    if (!ready()) {
      event.preventDefault();
      return;
    }
    form.elements.t.value = String(Date.now());
  });

  window.demoLogin = {
    select: select,
    queryAddress: queryAddress,
    argumentAddress: argumentAddress
  };
  refresh();
})();
