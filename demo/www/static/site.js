// Links between the platform's sites keep the port this page was served on.
document.querySelectorAll(".site-nav a").forEach(function (a) {
  var url = new URL(a.href);
  url.port = location.port;
  a.href = url.href;
});
