// Lets the page play offline and be installed: registers the service worker
// (sw.js), which keeps this build's files once the page has been opened.
// Service workers need a secure page: HTTPS, or http://localhost and
// http://127.0.0.1.
(function() {
  'use strict';
  if (!('serviceWorker' in navigator) || !window.isSecureContext) return;
  window.addEventListener('load', function() {
    navigator.serviceWorker.register('sw.js').catch(function(error) {
      console.warn('Fusebound will not play offline: ' + error.message);
    });
  });
})();
