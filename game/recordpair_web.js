// Linked into the web build before the program (emscripten's --pre-js),
// beside recordpair_web.cpp: the record's folder is read in from the site's
// IndexedDB before the program starts, so that its first read finds it.
// Storage the browser refuses (site data blocked, no IndexedDB) leaves the
// folder read-only, so that the game tells the pupil as it does of a folder
// that cannot be written on the desktop, and goes on.
Module.preRun = [].concat(Module.preRun || [], () => {
  const folder = "/ponderine";
  FS.mkdir(folder);
  const refused = () => FS.chmod(folder, 0o555);
  try {
    FS.mount(IDBFS, {}, folder);
  } catch (error) {
    refused();
    return;
  }
  addRunDependency("ponderine-record");
  try {
    FS.syncfs(true, error => {
      if (error)
        refused();
      removeRunDependency("ponderine-record");
    });
  } catch (error) {
    refused();
    removeRunDependency("ponderine-record");
  }
});
