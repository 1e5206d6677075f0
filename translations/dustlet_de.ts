<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>AboutView</name>
    <message>
        <source>Put Back</source>
        <translation>Zurücklegen</translation>
    </message>
    <message>
        <source>Restore these items from the Trash</source>
        <translation>Diese Objekte aus dem Papierkorb wiederherstellen</translation>
    </message>
    <message>
        <source>Restored</source>
        <translation>Wiederhergestellt</translation>
    </message>
    <message>
        <source>Dustlet</source>
        <translation>Dustlet</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>Nach Updates suchen …</translation>
    </message>
    <message>
        <source>reclaimed all-time</source>
        <translation>insgesamt freigegeben</translation>
    </message>
    <message>
        <source>Recent cleanups</source>
        <translation>Letzte Bereinigungen</translation>
    </message>
    <message>
        <source>Open Trash</source>
        <translation>Papierkorb öffnen</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Liste leeren</translation>
    </message>
    <message>
        <source>No cleanups yet.</source>
        <translation>Noch keine Bereinigungen.</translation>
    </message>
</context>
<context>
    <name>AppDelegate</name>
    <message>
        <source>Welcome to Dustlet</source>
        <translation>Willkommen bei Dustlet</translation>
    </message>
</context>
<context>
    <name>AppModel</name>
    <message>
        <source>That location is protected and can&apos;t be cleaned.</source>
        <translation>Dieser Ort ist geschützt und kann nicht bereinigt werden.</translation>
    </message>
    <message>
        <source>System &amp; app caches</source>
        <translation>System- &amp; App-Caches</translation>
    </message>
    <message>
        <source>Browser caches</source>
        <translation>Browser-Caches</translation>
    </message>
    <message>
        <source>Trash</source>
        <translation>Papierkorb</translation>
    </message>
    <message>
        <source>all enabled items</source>
        <translation>Alle aktivierten Objekte</translation>
    </message>
    <message>
        <source>Everything here is a cache, log or rebuildable file that comes back automatically when it&apos;s needed.</source>
        <translation>Alles hier ist ein Cache, ein Protokoll oder eine wiederherstellbare Datei, die bei Bedarf automatisch neu entsteht.</translation>
    </message>
    <message>
        <source>Freed %1 from %2</source>
        <translation>%2: %1 freigegeben</translation>
    </message>
    <message>
        <source>Freed %1 total</source>
        <translation>Insgesamt %1 freigegeben</translation>
    </message>
    <message>
        <source>Restored %1</source>
        <translation>%1 wiederhergestellt</translation>
    </message>
    <message>
        <source>Auto-cleanup freed %1</source>
        <translation>Automatische Bereinigung hat %1 freigegeben</translation>
    </message>
    <message>
        <source>Already added.</source>
        <translation>Bereits hinzugefügt.</translation>
    </message>
    <message>
        <source>%1 already exists</source>
        <translation>%1 ist schon vorhanden</translation>
    </message>
    <message>
        <source>%1 is no longer in the Trash</source>
        <translation>%1 liegt nicht mehr im Papierkorb</translation>
    </message>
    <message>
        <source>Couldn&apos;t put back %1: %2</source>
        <translation>%1 konnte nicht zurückgelegt werden: %2</translation>
    </message>
    <message>
        <source>%1 of %2 items stayed in the Trash: %3</source>
        <translation>%1 von %2 Objekten im Papierkorb geblieben: %3</translation>
    </message>
    <message>
        <source>Couldn&apos;t save the settings: %1</source>
        <translation>Die Einstellungen konnten nicht gesichert werden: %1</translation>
    </message>
    <message>
        <source>The settings file couldn&apos;t be read; it was kept as %1</source>
        <translation>Die Einstellungsdatei war nicht lesbar; sie wurde als %1 aufbewahrt</translation>
    </message>
    <message>
        <source>Couldn&apos;t save the cleanup history: %1</source>
        <translation>Der Verlauf der Bereinigungen konnte nicht gesichert werden: %1</translation>
    </message>
    <message>
        <source>%1: freed %2</source>
        <translation>%1: %2 freigegeben</translation>
    </message>
    <message>
        <source>%1: moved to the Trash</source>
        <translation>%1: in den Papierkorb verschoben</translation>
    </message>
    <message>
        <source>%1 (and %2 more)</source>
        <translation>%1 (und %2 weitere)</translation>
    </message>
    <message>
        <source>Couldn&apos;t clean up: %1</source>
        <translation>Bereinigung fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Freed %1 total; couldn&apos;t clean up: %2</source>
        <translation>Insgesamt %1 freigegeben; Bereinigung fehlgeschlagen: %2</translation>
    </message>
    <message>
        <source>Freed %1 automatically; couldn&apos;t clean up: %2</source>
        <translation>Automatisch %1 freigegeben; Bereinigung fehlgeschlagen: %2</translation>
    </message>
</context>
<context>
    <name>AppUpdatesView</name>
    <message>
        <source>Checking with Homebrew…</source>
        <translation>Homebrew wird abgefragt …</translation>
    </message>
    <message>
        <source>Get Homebrew at %1</source>
        <translation>Homebrew gibt es unter %1</translation>
    </message>
    <message>
        <source>Re-check</source>
        <translation>Erneut prüfen</translation>
    </message>
    <message>
        <source>Update All</source>
        <translation>Alle aktualisieren</translation>
    </message>
</context>
<context>
    <name>ByteCountFormatter</name>
    <message>
        <source>Zero KB</source>
        <translation>Null KB</translation>
    </message>
    <message>
        <source>%1 byte</source>
        <translation>%1 Byte</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 Byte</translation>
    </message>
</context>
<context>
    <name>Cleaner</name>
    <message>
        <source>Not moved: %1 changed since the scan</source>
        <translation>Nicht verschoben: %1 hat sich seit dem Scan geändert</translation>
    </message>
    <message>
        <source>Couldn&apos;t remove 1 item in %1</source>
        <translation>1 Objekt in %1 konnte nicht entfernt werden</translation>
    </message>
    <message>
        <source>Couldn&apos;t remove %1 items in %2</source>
        <translation>%1 Objekte in %2 konnten nicht entfernt werden</translation>
    </message>
</context>
<context>
    <name>CleanupCatalog</name>
    <message>
        <source>Trash</source>
        <translation>Papierkorb</translation>
    </message>
    <message>
        <source>Empty the Trash</source>
        <translation>Papierkorb entleeren</translation>
    </message>
    <message>
        <source>App cache files</source>
        <translation>App-Caches</translation>
    </message>
    <message>
        <source>Temporary files apps recreate as needed</source>
        <translation>Temporäre Dateien, die Apps bei Bedarf neu anlegen</translation>
    </message>
    <message>
        <source>App &amp; system logs</source>
        <translation>Protokolle</translation>
    </message>
    <message>
        <source>Old log files</source>
        <translation>Alte Protokolldateien</translation>
    </message>
    <message>
        <source>Saved application state</source>
        <translation>Gesicherter Programmzustand</translation>
    </message>
    <message>
        <source>Window/tab restore data — apps won&apos;t reopen last session</source>
        <translation>Daten zum Wiederherstellen von Fenstern/Tabs – Apps öffnen die letzte Sitzung nicht wieder</translation>
    </message>
    <message>
        <source>Apple Music cache</source>
        <translation>Apple-Music-Cache</translation>
    </message>
    <message>
        <source>Streamed-audio cache — songs re-buffer next time</source>
        <translation>Cache für gestreamte Musik – Titel werden beim nächsten Mal neu geladen</translation>
    </message>
    <message>
        <source>Mail attachment previews</source>
        <translation>Vorschauen von Mail-Anhängen</translation>
    </message>
    <message>
        <source>Temp copies of opened attachments — originals stay safe</source>
        <translation>Temporäre Kopien geöffneter Anhänge – die Originale bleiben erhalten</translation>
    </message>
    <message>
        <source>Google Chrome cache</source>
        <translation>Google-Chrome-Cache</translation>
    </message>
    <message>
        <source>Cached web data — pages reload as needed</source>
        <translation>Zwischengespeicherte Webdaten – Seiten laden bei Bedarf neu</translation>
    </message>
    <message>
        <source>Safari cache</source>
        <translation>Safari-Cache</translation>
    </message>
    <message>
        <source>Firefox cache</source>
        <translation>Firefox-Cache</translation>
    </message>
    <message>
        <source>Xcode DerivedData</source>
        <translation>Xcode DerivedData</translation>
    </message>
    <message>
        <source>Build artifacts — rebuilt on next build</source>
        <translation>Build-Ergebnisse – entstehen beim nächsten Build neu</translation>
    </message>
    <message>
        <source>Old iOS DeviceSupport</source>
        <translation>Altes iOS DeviceSupport</translation>
    </message>
    <message>
        <source>Symbol caches — regenerated on device connect</source>
        <translation>Symbol-Caches – entstehen neu, sobald ein Gerät verbunden wird</translation>
    </message>
    <message>
        <source>Unavailable simulators</source>
        <translation>Nicht verfügbare Simulatoren</translation>
    </message>
    <message>
        <source>Orphaned iOS simulators (active ones kept)</source>
        <translation>Verwaiste iOS-Simulatoren (aktive bleiben erhalten)</translation>
    </message>
    <message>
        <source>Gradle caches</source>
        <translation>Gradle-Caches</translation>
    </message>
    <message>
        <source>Android/Gradle downloads &amp; build cache</source>
        <translation>Android/Gradle-Downloads &amp; Build-Cache</translation>
    </message>
    <message>
        <source>npm cache</source>
        <translation>npm-Cache</translation>
    </message>
    <message>
        <source>Node package cache</source>
        <translation>Cache für Node-Pakete</translation>
    </message>
    <message>
        <source>Yarn cache</source>
        <translation>Yarn-Cache</translation>
    </message>
    <message>
        <source>Yarn package cache</source>
        <translation>Cache für Yarn-Pakete</translation>
    </message>
    <message>
        <source>pnpm store</source>
        <translation>pnpm-Store</translation>
    </message>
    <message>
        <source>pnpm content-addressable store</source>
        <translation>Inhaltsadressierter pnpm-Store</translation>
    </message>
    <message>
        <source>uv cache</source>
        <translation>uv-Cache</translation>
    </message>
    <message>
        <source>Python uv package cache</source>
        <translation>Cache für Python-Pakete von uv</translation>
    </message>
    <message>
        <source>pip cache</source>
        <translation>pip-Cache</translation>
    </message>
    <message>
        <source>Python pip download cache</source>
        <translation>Download-Cache von Python pip</translation>
    </message>
    <message>
        <source>CocoaPods cache</source>
        <translation>CocoaPods-Cache</translation>
    </message>
    <message>
        <source>Pod download cache</source>
        <translation>Download-Cache für Pods</translation>
    </message>
    <message>
        <source>Flutter / pub cache</source>
        <translation>Flutter-/pub-Cache</translation>
    </message>
    <message>
        <source>Dart/Flutter packages</source>
        <translation>Dart-/Flutter-Pakete</translation>
    </message>
    <message>
        <source>Go module cache</source>
        <translation>Go-Modul-Cache</translation>
    </message>
    <message>
        <source>Downloaded Go modules</source>
        <translation>Heruntergeladene Go-Module</translation>
    </message>
    <message>
        <source>Cargo registry cache</source>
        <translation>Cargo-Registry-Cache</translation>
    </message>
    <message>
        <source>Rust crate downloads</source>
        <translation>Heruntergeladene Rust-Crates</translation>
    </message>
    <message>
        <source>Docker prune</source>
        <translation>Docker aufräumen</translation>
    </message>
    <message>
        <source>Dangling images, stopped containers, build cache</source>
        <translation>Verwaiste Images, gestoppte Container, Build-Cache</translation>
    </message>
    <message>
        <source>JetBrains caches</source>
        <translation>JetBrains-Caches</translation>
    </message>
    <message>
        <source>IntelliJ/PyCharm/etc. caches</source>
        <translation>Caches von IntelliJ, PyCharm usw.</translation>
    </message>
    <message>
        <source>Homebrew cleanup</source>
        <translation>Homebrew aufräumen</translation>
    </message>
    <message>
        <source>Old versions &amp; download cache</source>
        <translation>Alte Versionen &amp; Download-Cache</translation>
    </message>
    <message>
        <source>Swift / build tool caches</source>
        <translation>Caches von Swift &amp; Build-Werkzeugen</translation>
    </message>
    <message>
        <source>SwiftPM, TypeScript, node-gyp</source>
        <translation>SwiftPM, TypeScript, node-gyp</translation>
    </message>
    <message>
        <source>ML / browser-automation caches</source>
        <translation>Caches für ML &amp; Browser-Automatisierung</translation>
    </message>
    <message>
        <source>puppeteer, huggingface, whisper, selenium</source>
        <translation>puppeteer, huggingface, whisper, selenium</translation>
    </message>
    <message>
        <source>node_modules folders</source>
        <translation>node_modules-Ordner</translation>
    </message>
    <message>
        <source>Reinstall with npm/yarn/pnpm install</source>
        <translation>Neu installieren mit npm/yarn/pnpm install</translation>
    </message>
    <message>
        <source>Next.js build output</source>
        <translation>Build-Ausgabe von Next.js</translation>
    </message>
    <message>
        <source>.next folders — rebuilt on next build</source>
        <translation>.next-Ordner – entstehen beim nächsten Build neu</translation>
    </message>
    <message>
        <source>Rust target folders</source>
        <translation>target-Ordner (Rust)</translation>
    </message>
    <message>
        <source>target/ next to Cargo.toml — rebuilt with cargo build</source>
        <translation>target/ neben Cargo.toml – entsteht mit cargo build neu</translation>
    </message>
    <message>
        <source>Python __pycache__</source>
        <translation>Python __pycache__</translation>
    </message>
    <message>
        <source>Bytecode caches — regenerated automatically</source>
        <translation>Bytecode-Caches – entstehen automatisch neu</translation>
    </message>
    <message>
        <source>Python virtualenvs</source>
        <translation>Python-Virtualenvs</translation>
    </message>
    <message>
        <source>.venv next to a manifest — recreate with pip install</source>
        <translation>.venv neben einem Manifest – neu anlegen mit pip install</translation>
    </message>
    <message>
        <source>Chrome / Chromium cache</source>
        <translation>Chrome-/Chromium-Cache</translation>
    </message>
</context>
<context>
    <name>CleanupTarget</name>
    <message>
        <source>These are items you already moved to the Trash.</source>
        <translation>Das sind Objekte, die du schon in den Papierkorb gelegt hast.</translation>
    </message>
    <message>
        <source>Old diagnostic logs. Apps write fresh ones as needed — nothing you use is lost.</source>
        <translation>Alte Diagnoseprotokolle. Apps schreiben bei Bedarf neue – nichts, was du nutzt, geht verloren.</translation>
    </message>
    <message>
        <source>Streamed songs re-cache automatically the next time you play them.</source>
        <translation>Gestreamte Titel werden beim nächsten Abspielen automatisch wieder zwischengespeichert.</translation>
    </message>
    <message>
        <source>Apps just won&apos;t reopen last session&apos;s windows. It doesn&apos;t log you out or lose data.</source>
        <translation>Apps öffnen nur die Fenster der letzten Sitzung nicht wieder. Du wirst weder abgemeldet noch gehen Daten verloren.</translation>
    </message>
    <message>
        <source>Temp copies of attachments you opened. Re-copied on demand; originals stay on the server.</source>
        <translation>Temporäre Kopien geöffneter Anhänge. Sie werden bei Bedarf neu kopiert; die Originale bleiben auf dem Server.</translation>
    </message>
    <message>
        <source>Docker recreates images, layers and build cache the next time you build or pull.</source>
        <translation>Docker legt Images, Schichten und Build-Cache beim nächsten Build oder Pull neu an.</translation>
    </message>
    <message>
        <source>Reinstalled instantly with npm / yarn / pnpm install.</source>
        <translation>Sofort neu installiert mit npm / yarn / pnpm install.</translation>
    </message>
    <message>
        <source>Xcode rebuilds DerivedData on your next build.</source>
        <translation>Xcode erstellt DerivedData beim nächsten Build neu.</translation>
    </message>
    <message>
        <source>Apps and websites recreate these caches automatically when they next need them.</source>
        <translation>Apps und Websites legen diese Caches automatisch neu an, sobald sie sie wieder brauchen.</translation>
    </message>
    <message>
        <source>Re-downloaded or rebuilt automatically the next time you build or install.</source>
        <translation>Wird beim nächsten Build oder bei der nächsten Installation automatisch neu geladen oder erstellt.</translation>
    </message>
    <message>
        <source>Rebuilt the next time you build the project (npm install, cargo build, …).</source>
        <translation>Entsteht beim nächsten Build des Projekts neu (npm install, cargo build, …).</translation>
    </message>
    <message>
        <source>A folder you added yourself — only its contents are cleared.</source>
        <translation>Ein Ordner, den du selbst hinzugefügt hast – nur sein Inhalt wird geleert.</translation>
    </message>
</context>
<context>
    <name>ConfirmSheet</name>
    <message>
        <source>%1 item</source>
        <translation>%1 Objekt</translation>
    </message>
    <message>
        <source>%1 items</source>
        <translation>%1 Objekte</translation>
    </message>
    <message>
        <source>Clean %1?</source>
        <translation>%1 bereinigen?</translation>
    </message>
    <message>
        <source>Frees about %1. This data regenerates automatically.</source>
        <translation>Gibt etwa %1 frei. Diese Daten entstehen automatisch neu.</translation>
    </message>
    <message>
        <source>Will clear</source>
        <translation>Wird geleert</translation>
    </message>
    <message>
        <source>Delete permanently (skip the Trash)</source>
        <translation>Endgültig löschen (ohne Papierkorb)</translation>
    </message>
    <message>
        <source>Useful for very large build folders — frees the space immediately, but can&apos;t be recovered.</source>
        <translation>Sinnvoll für sehr große Build-Ordner – gibt den Platz sofort frei, lässt sich aber nicht wiederherstellen.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Clean</source>
        <translation>Bereinigen</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Applications (*.app)</source>
        <translation>Programme (*.app)</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>DiskMapCanvas</name>
    <message>
        <source>Disk usage treemap</source>
        <translation>Treemap der Speicherbelegung</translation>
    </message>
    <message>
        <source>Nothing to show here</source>
        <translation>Hier gibt es nichts anzuzeigen</translation>
    </message>
    <message>
        <source>%1, %2 items, %3. Use the list on the right to browse items.</source>
        <translation>%1, %2 Objekte, %3. Mit der Liste rechts kannst du die Objekte durchsehen.</translation>
    </message>
    <message>
        <source>No folder scanned</source>
        <translation>Kein Ordner gescannt</translation>
    </message>
    <message>
        <source>%1 · </source>
        <translation>%1 · </translation>
    </message>
</context>
<context>
    <name>DiskMapListModel</name>
    <message>
        <source>%1 — %2</source>
        <translation>%1 – %2</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>%1, %2 percent</source>
        <translation>%1, %2 Prozent</translation>
    </message>
    <message>
        <source>Double-tap to open</source>
        <translation>Zum Öffnen doppeltippen</translation>
    </message>
</context>
<context>
    <name>DiskMapModel</name>
    <message>
        <source>Scan</source>
        <translation>Scannen</translation>
    </message>
</context>
<context>
    <name>DiskMapSideList</name>
    <message>
        <source>Items</source>
        <translation>Objekte</translation>
    </message>
</context>
<context>
    <name>DiskMapStartScreen</name>
    <message>
        <source>What do you want to scan?</source>
        <translation>Was möchtest du scannen?</translation>
    </message>
    <message>
        <source>Pick a location to map what&apos;s using its space.</source>
        <translation>Wähle einen Ort, um zu sehen, was dort Platz belegt.</translation>
    </message>
    <message>
        <source>Choose Folder…</source>
        <translation>Ordner wählen …</translation>
    </message>
</context>
<context>
    <name>DiskMapView</name>
    <message>
        <source>Rescan</source>
        <translation>Erneut scannen</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stoppen</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Age</source>
        <translation>Alter</translation>
    </message>
    <message>
        <source>Color tiles by file type or by age</source>
        <translation>Kacheln nach Dateityp oder Alter einfärben</translation>
    </message>
    <message>
        <source>Scanning… %1</source>
        <translation>Scannen … %1</translation>
    </message>
    <message>
        <source>Recent</source>
        <translation>Neu</translation>
    </message>
    <message>
        <source>Over a year</source>
        <translation>Über ein Jahr</translation>
    </message>
    <message>
        <source>Select a folder to scan</source>
        <translation>Wähle einen Ordner zum Scannen</translation>
    </message>
    <message>
        <source>Move to Trash</source>
        <translation>In den Papierkorb legen</translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation>Vergrößern</translation>
    </message>
    <message>
        <source>Smaller items folded together</source>
        <translation>Kleinere Objekte zusammengefasst</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Move “%1” to the Trash?</source>
        <translation>„%1“ in den Papierkorb legen?</translation>
    </message>
    <message>
        <source>Frees %1. You can put it back from the Trash.</source>
        <translation>Gibt %1 frei. Du kannst es aus dem Papierkorb zurücklegen.</translation>
    </message>
    <message>
        <source>Video</source>
        <translation>Video</translation>
    </message>
    <message>
        <source>Images</source>
        <translation>Bilder</translation>
    </message>
    <message>
        <source>Audio</source>
        <translation>Audio</translation>
    </message>
    <message>
        <source>Archives</source>
        <translation>Archive</translation>
    </message>
    <message>
        <source>Apps</source>
        <translation>Apps</translation>
    </message>
    <message>
        <source>Code</source>
        <translation>Code</translation>
    </message>
    <message>
        <source>Documents</source>
        <translation>Dokumente</translation>
    </message>
    <message>
        <source>Caches &amp; logs</source>
        <translation>Caches &amp; Protokolle</translation>
    </message>
    <message>
        <source>Other</source>
        <translation>Sonstiges</translation>
    </message>
</context>
<context>
    <name>DiskUsageRingView</name>
    <message>
        <source>free of %1</source>
        <translation>frei von %1</translation>
    </message>
    <message>
        <source>%1 used</source>
        <translation>%1 belegt</translation>
    </message>
    <message>
        <source>used</source>
        <translation>belegt</translation>
    </message>
</context>
<context>
    <name>DustletApp</name>
    <message>
        <source>Dustlet Settings</source>
        <translation>Dustlet-Einstellungen</translation>
    </message>
    <message>
        <source>Confirm Cleanup</source>
        <translation>Bereinigung bestätigen</translation>
    </message>
    <message>
        <source>Disk Map</source>
        <translation>Belegungskarte</translation>
    </message>
    <message>
        <source>Large &amp; Duplicate Files</source>
        <translation>Große &amp; doppelte Dateien</translation>
    </message>
    <message>
        <source>Project Cleanup</source>
        <translation>Projekte aufräumen</translation>
    </message>
    <message>
        <source>Startup &amp; Background Items</source>
        <translation>Autostart- &amp; Hintergrundobjekte</translation>
    </message>
    <message>
        <source>Free Up Snapshot Space</source>
        <translation>Snapshot-Speicher freigeben</translation>
    </message>
    <message>
        <source>App &amp; Tool Updates</source>
        <translation>App- &amp; Tool-Updates</translation>
    </message>
    <message>
        <source>Uninstall an App</source>
        <translation>App deinstallieren</translation>
    </message>
    <message>
        <source>About Dustlet</source>
        <translation>Über Dustlet</translation>
    </message>
</context>
<context>
    <name>EmptyState</name>
    <message>
        <source>Homebrew isn&apos;t installed</source>
        <translation>Homebrew ist nicht installiert</translation>
    </message>
    <message>
        <source>Everything&apos;s up to date</source>
        <translation>Alles ist auf dem neuesten Stand</translation>
    </message>
    <message>
        <source>Couldn&apos;t get the list from Homebrew.</source>
        <translation>Die Liste konnte nicht von Homebrew geholt werden.</translation>
    </message>
    <message>
        <source>Find large &amp; duplicate files</source>
        <translation>Große &amp; doppelte Dateien finden</translation>
    </message>
    <message>
        <source>Pick a folder to scan for big files and byte-identical duplicates you can safely remove.</source>
        <translation>Wähle einen Ordner, um ihn nach großen Dateien und byte-gleichen Duplikaten zu durchsuchen, die du gefahrlos entfernen kannst.</translation>
    </message>
    <message>
        <source>No files found</source>
        <translation>Keine Dateien gefunden</translation>
    </message>
    <message>
        <source>Nothing in this folder is large enough to list.</source>
        <translation>Nichts in diesem Ordner ist groß genug für die Liste.</translation>
    </message>
    <message>
        <source>No duplicates found</source>
        <translation>Keine Duplikate gefunden</translation>
    </message>
    <message>
        <source>Duplicates are byte-identical copies — unique files don&apos;t appear here.</source>
        <translation>Duplikate sind byte-gleiche Kopien – einzigartige Dateien erscheinen hier nicht.</translation>
    </message>
    <message>
        <source>No local snapshots</source>
        <translation>Keine lokalen Snapshots</translation>
    </message>
    <message>
        <source>There&apos;s nothing to reclaim right now.</source>
        <translation>Im Moment gibt es nichts freizugeben.</translation>
    </message>
    <message>
        <source>No background items</source>
        <translation>Keine Hintergrundobjekte</translation>
    </message>
    <message>
        <source>Nothing launches automatically for your account.</source>
        <translation>Für deinen Account startet nichts automatisch.</translation>
    </message>
    <message>
        <source>Uninstall an App</source>
        <translation>App deinstallieren</translation>
    </message>
    <message>
        <source>Remove an app together with its leftover caches, preferences, and support files — all moved to the Trash, so you can undo it.</source>
        <translation>Entferne eine App zusammen mit ihren übrigen Caches, Einstellungen und Support-Dateien – alles landet im Papierkorb, du kannst es also rückgängig machen.</translation>
    </message>
    <message>
        <source>No build folders found</source>
        <translation>Keine Build-Ordner gefunden</translation>
    </message>
    <message>
        <source>Project folder not found</source>
        <translation>Projektordner nicht gefunden</translation>
    </message>
    <message>
        <source>Project folders not found</source>
        <translation>Projektordner nicht gefunden</translation>
    </message>
</context>
<context>
    <name>FileFinderModel</name>
    <message>
        <source>Scan</source>
        <translation>Scannen</translation>
    </message>
</context>
<context>
    <name>FileFinderRows</name>
    <message numerus="yes">
        <source>%n copies · %1 each</source>
        <translation>
            <numerusform>%n Kopie · je %1</numerusform>
            <numerusform>%n Kopien · je %1</numerusform>
        </translation>
    </message>
    <message>
        <source>save %1</source>
        <translation>%1 sparen</translation>
    </message>
</context>
<context>
    <name>FileManagerShell</name>
    <message>
        <source>Reveal in Finder</source>
        <translation>Im Finder zeigen</translation>
    </message>
    <message>
        <source>Show in File Manager</source>
        <translation>Im Dateimanager zeigen</translation>
    </message>
    <message>
        <source>Reveal project in Finder</source>
        <translation>Projekt im Finder zeigen</translation>
    </message>
    <message>
        <source>Show Project in File Manager</source>
        <translation>Projekt im Dateimanager zeigen</translation>
    </message>
</context>
<context>
    <name>KindChip</name>
    <message>
        <source>Active filter</source>
        <translation>Aktiver Filter</translation>
    </message>
</context>
<context>
    <name>LargeFilesView</name>
    <message numerus="yes">
        <source>Scanning… %n files</source>
        <translation>
            <numerusform>Scannen … %n Datei</numerusform>
            <numerusform>Scannen … %n Dateien</numerusform>
        </translation>
    </message>
    <message>
        <source>Choose Folder…</source>
        <translation>Ordner wählen …</translation>
    </message>
    <message>
        <source>Largest</source>
        <translation>Größte</translation>
    </message>
    <message>
        <source>Duplicates</source>
        <translation>Duplikate</translation>
    </message>
    <message>
        <source>Move to Trash</source>
        <translation>In den Papierkorb legen</translation>
    </message>
    <message numerus="yes">
        <source>%n selected</source>
        <translation>
            <numerusform>%n ausgewählt</numerusform>
            <numerusform>%n ausgewählt</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>LoginItem</name>
    <message>
        <source>Couldn&apos;t remove %1: %2</source>
        <translation>%1 konnte nicht entfernt werden: %2</translation>
    </message>
    <message>
        <source>Couldn&apos;t write %1: %2</source>
        <translation>%1 konnte nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>MenuBarCoachMark</name>
    <message>
        <source>Dustlet lives up here</source>
        <translation>Hier oben wohnt Dustlet</translation>
    </message>
    <message>
        <source>Click the drive icon in your menu bar any time to free up space or open the Disk Map.</source>
        <translation>Klicke jederzeit auf das Laufwerkssymbol in deiner Menüleiste, um Platz freizugeben oder die Belegungskarte zu öffnen.</translation>
    </message>
    <message>
        <source>Got it</source>
        <translation>Verstanden</translation>
    </message>
    <message>
        <source>Dustlet lives down here</source>
        <translation>Hier unten wohnt Dustlet</translation>
    </message>
    <message>
        <source>Click the drive icon in the system tray any time to free up space or open the Disk Map.</source>
        <translation>Klicke jederzeit auf das Laufwerkssymbol im Infobereich der Leiste, um Platz freizugeben oder die Belegungskarte zu öffnen.</translation>
    </message>
</context>
<context>
    <name>MenuBarExtra</name>
    <message>
        <source>Open Dustlet</source>
        <translation>Dustlet öffnen</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
</context>
<context>
    <name>MenuBarLabel</name>
    <message>
        <source>Dustlet — %1 free</source>
        <translation>Dustlet – %1 frei</translation>
    </message>
    <message>
        <source>Dustlet — %1 used</source>
        <translation>Dustlet – %1 belegt</translation>
    </message>
</context>
<context>
    <name>MenuPanelView</name>
    <message>
        <source>Rescan sizes</source>
        <translation>Größen neu messen</translation>
    </message>
    <message>
        <source>reclaimable</source>
        <translation>freigebbar</translation>
    </message>
    <message>
        <source>Disk Map</source>
        <translation>Belegungskarte</translation>
    </message>
    <message>
        <source>Large Files</source>
        <translation>Große Dateien</translation>
    </message>
    <message>
        <source>Duplicates</source>
        <translation>Duplikate</translation>
    </message>
    <message>
        <source>Uninstall</source>
        <translation>Deinstallieren</translation>
    </message>
    <message>
        <source>More</source>
        <translation>Mehr</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Recommended</source>
        <translation>Empfohlen</translation>
    </message>
    <message>
        <source>Browser caches</source>
        <translation>Browser-Caches</translation>
    </message>
    <message>
        <source>Developer caches</source>
        <translation>Entwickler-Caches</translation>
    </message>
    <message>
        <source>Build artifacts</source>
        <translation>Build-Ergebnisse</translation>
    </message>
    <message>
        <source>Custom folders</source>
        <translation>Eigene Ordner</translation>
    </message>
    <message>
        <source>Scanning…</source>
        <translation>Scannen …</translation>
    </message>
    <message>
        <source>just now</source>
        <translation>gerade eben</translation>
    </message>
    <message>
        <source>%1s ago</source>
        <translation>vor %1 s</translation>
    </message>
    <message>
        <source>%1m ago</source>
        <translation>vor %1 min</translation>
    </message>
    <message>
        <source>%1h ago</source>
        <translation>vor %1 h</translation>
    </message>
    <message>
        <source>Clean up</source>
        <translation>Aufräumen</translation>
    </message>
    <message>
        <source>Project Cleanup</source>
        <translation>Projekte aufräumen</translation>
    </message>
    <message>
        <source>Free Up Snapshots</source>
        <translation>Snapshots freigeben</translation>
    </message>
    <message>
        <source>Startup Items</source>
        <translation>Autostart-Objekte</translation>
    </message>
    <message>
        <source>App &amp; Tool Updates</source>
        <translation>App- &amp; Tool-Updates</translation>
    </message>
</context>
<context>
    <name>Notifier</name>
    <message>
        <source>Clean Up Now</source>
        <translation>Jetzt aufräumen</translation>
    </message>
    <message>
        <source>Low disk space</source>
        <translation>Wenig Speicherplatz</translation>
    </message>
    <message>
        <source>Only %1 available. Tap “Clean Up Now” to free up space.</source>
        <translation>Nur noch %1 verfügbar. Klicke auf „Jetzt aufräumen“, um Platz freizugeben.</translation>
    </message>
    <message>
        <source>Dustlet cleaned up</source>
        <translation>Dustlet hat aufgeräumt</translation>
    </message>
    <message>
        <source>Nothing to clean — you&apos;re already tidy.</source>
        <translation>Nichts zu bereinigen – bei dir ist schon alles aufgeräumt.</translation>
    </message>
    <message>
        <source>Freed %1 automatically. Items are in the Trash.</source>
        <translation>Automatisch %1 freigegeben. Die Objekte liegen im Papierkorb.</translation>
    </message>
    <message>
        <source>Dustlet couldn&apos;t clean up</source>
        <translation>Dustlet konnte nicht aufräumen</translation>
    </message>
    <message>
        <source>Couldn&apos;t clean up: %1</source>
        <translation>Bereinigung fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Dustlet couldn&apos;t clean up everything</source>
        <translation>Dustlet konnte nicht alles aufräumen</translation>
    </message>
    <message>
        <source>Freed %1 automatically; couldn&apos;t clean up: %2</source>
        <translation>Automatisch %1 freigegeben; Bereinigung fehlgeschlagen: %2</translation>
    </message>
</context>
<context>
    <name>OnboardingView</name>
    <message>
        <source>Only ever clears regenerable files</source>
        <translation>Entfernt nur Dateien, die neu entstehen</translation>
    </message>
    <message>
        <source>Caches and build output — never your documents, photos, or code.</source>
        <translation>Caches und Build-Ausgaben – niemals deine Dokumente, Fotos oder deinen Code.</translation>
    </message>
    <message>
        <source>Shows you everything first</source>
        <translation>Zeigt dir vorher alles</translation>
    </message>
    <message>
        <source>Exactly what&apos;s removed, and how much space, before you confirm.</source>
        <translation>Genau, was entfernt wird und wie viel Platz es bringt – bevor du bestätigst.</translation>
    </message>
    <message>
        <source>Recoverable by default</source>
        <translation>Standardmäßig wiederherstellbar</translation>
    </message>
    <message>
        <source>Items move to the Trash, so anything can be brought back.</source>
        <translation>Objekte wandern in den Papierkorb, so lässt sich alles zurückholen.</translation>
    </message>
    <message>
        <source>Apple Music cache</source>
        <translation>Apple-Music-Cache</translation>
    </message>
    <message>
        <source>Often the biggest win. Streamed songs re-buffer next time.</source>
        <translation>Bringt oft am meisten. Gestreamte Titel werden beim nächsten Mal neu geladen.</translation>
    </message>
    <message>
        <source>Saved application state</source>
        <translation>Gesicherter Programmzustand</translation>
    </message>
    <message>
        <source>Apps won&apos;t reopen their last windows. Doesn&apos;t log you out.</source>
        <translation>Apps öffnen ihre letzten Fenster nicht wieder. Du wirst nicht abgemeldet.</translation>
    </message>
    <message>
        <source>Mail attachment previews</source>
        <translation>Vorschauen von Mail-Anhängen</translation>
    </message>
    <message>
        <source>Temp copies of opened attachments. Originals stay safe.</source>
        <translation>Temporäre Kopien geöffneter Anhänge. Die Originale bleiben erhalten.</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Skip for now</source>
        <translation>Vorerst überspringen</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <source>Get Started</source>
        <translation>Los geht’s</translation>
    </message>
    <message>
        <source>Welcome to Dustlet</source>
        <translation>Willkommen bei Dustlet</translation>
    </message>
    <message>
        <source>Free up space from caches and junk you don&apos;t need — cleaned safely, right from your menu bar.</source>
        <translation>Gib Platz frei, den Caches und unnötiger Ballast belegen – sicher bereinigt, direkt aus deiner Menüleiste.</translation>
    </message>
    <message>
        <source>Safe by design</source>
        <translation>Von Grund auf sicher</translation>
    </message>
    <message>
        <source>Dustlet is built so you never lose anything that matters.</source>
        <translation>Dustlet ist so gebaut, dass du nie etwas verlierst, das dir wichtig ist.</translation>
    </message>
    <message>
        <source>Move cleaned items to the Trash</source>
        <translation>Bereinigte Objekte in den Papierkorb legen</translation>
    </message>
    <message>
        <source>Recommended — recover anything you change your mind about.</source>
        <translation>Empfohlen – hol alles zurück, wenn du es dir anders überlegst.</translation>
    </message>
    <message>
        <source>How do you use this Mac?</source>
        <translation>Wie nutzt du diesen Mac?</translation>
    </message>
    <message>
        <source>This just decides how much detail you see — you can switch any time.</source>
        <translation>Davon hängt nur ab, wie viele Details du siehst – du kannst jederzeit wechseln.</translation>
    </message>
    <message>
        <source>Just clean up</source>
        <translation>Einfach aufräumen</translation>
    </message>
    <message>
        <source>Everyday caches, one tap.</source>
        <translation>Alltägliche Caches, mit einem Klick.</translation>
    </message>
    <message>
        <source>I&apos;m a developer</source>
        <translation>Ich entwickle Software</translation>
    </message>
    <message>
        <source>Also Xcode, npm, Docker &amp; node_modules.</source>
        <translation>Auch Xcode, npm, Docker &amp; node_modules.</translation>
    </message>
    <message>
        <source>RECLAIM A LITTLE MORE — OPTIONAL</source>
        <translation>NOCH ETWAS MEHR FREIGEBEN – OPTIONAL</translation>
    </message>
    <message>
        <source>You&apos;re all set</source>
        <translation>Alles bereit</translation>
    </message>
    <message>
        <source>Sizing up what you can clean…</source>
        <translation>Es wird gemessen, was du bereinigen kannst …</translation>
    </message>
    <message>
        <source>Ready to free up</source>
        <translation>Bereit zum Freigeben</translation>
    </message>
    <message>
        <source>Open Dustlet from the menu bar any time to clean up or explore the Disk Map.</source>
        <translation>Öffne Dustlet jederzeit über die Menüleiste, um aufzuräumen oder die Belegungskarte zu erkunden.</translation>
    </message>
    <message>
        <source>Step %1 of %2</source>
        <translation>Schritt %1 von %2</translation>
    </message>
    <message>
        <source>Free up space from caches and junk you don&apos;t need — cleaned safely, right from the system tray.</source>
        <translation>Gib Platz frei, den Caches und unnötiger Ballast belegen – sicher bereinigt, direkt aus dem Infobereich der Leiste.</translation>
    </message>
    <message>
        <source>How do you use this computer?</source>
        <translation>Wie nutzt du diesen Computer?</translation>
    </message>
    <message>
        <source>Open Dustlet from the system tray any time to clean up or explore the Disk Map.</source>
        <translation>Öffne Dustlet jederzeit über den Infobereich der Leiste, um aufzuräumen oder die Belegungskarte zu erkunden.</translation>
    </message>
    <message>
        <source>Also npm, Gradle, Docker &amp; node_modules.</source>
        <translation>Auch npm, Gradle, Docker &amp; node_modules.</translation>
    </message>
</context>
<context>
    <name>OutdatedPackageRow</name>
    <message>
        <source>%1 → %2</source>
        <translation>%1 → %2</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Aktualisieren</translation>
    </message>
</context>
<context>
    <name>ProjectCleanupModel</name>
    <message>
        <source>Scan</source>
        <translation>Scannen</translation>
    </message>
</context>
<context>
    <name>ProjectCleanupView</name>
    <message>
        <source>%1 %2</source>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>Select all in this project</source>
        <translation>Alles in diesem Projekt auswählen</translation>
    </message>
    <message>
        <source>Never suggest this folder</source>
        <translation>Diesen Ordner nie vorschlagen</translation>
    </message>
    <message>
        <source>Rescan</source>
        <translation>Erneut scannen</translation>
    </message>
    <message>
        <source>Choose Folder…</source>
        <translation>Ordner wählen …</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>Gruppieren</translation>
    </message>
    <message>
        <source>Group build folders by project</source>
        <translation>Build-Ordner nach Projekt gruppieren</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Oldest</source>
        <translation>Älteste</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Alle auswählen</translation>
    </message>
    <message>
        <source>Move to Trash</source>
        <translation>In den Papierkorb legen</translation>
    </message>
    <message>
        <source>Scanning… %1 found</source>
        <translation>Scannen … %1 gefunden</translation>
    </message>
    <message>
        <source>Deselect All</source>
        <translation>Auswahl aufheben</translation>
    </message>
    <message>
        <source>%1 of %2 selected · %3 total</source>
        <translation>%1 von %2 ausgewählt · insgesamt %3</translation>
    </message>
    <message>
        <source>Scanning %1… %2 found</source>
        <translation>%1 wird gescannt … %2 gefunden</translation>
    </message>
    <message>
        <source>Nothing to clean under %1.</source>
        <translation>In %1 gibt es nichts zu bereinigen.</translation>
    </message>
    <message>
        <source>They&apos;ll go to the Trash, so you can put them back. Build folders regenerate next time you build.</source>
        <translation>Sie kommen in den Papierkorb, du kannst sie also zurücklegen. Build-Ordner entstehen beim nächsten Build neu.</translation>
    </message>
    <message>
        <source>Move %1 to Trash</source>
        <translation>%1 in den Papierkorb legen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Never Suggest This Folder</source>
        <translation>Diesen Ordner nie vorschlagen</translation>
    </message>
    <message>
        <source>Move %1 build folder to the Trash?</source>
        <translation>%1 Build-Ordner in den Papierkorb legen?</translation>
    </message>
    <message>
        <source>Move %1 build folders to the Trash?</source>
        <translation>%1 Build-Ordner in den Papierkorb legen?</translation>
    </message>
    <message>
        <source>%1 doesn&apos;t exist.</source>
        <translation>%1 existiert nicht.</translation>
    </message>
</context>
<context>
    <name>ScanMenuButton</name>
    <message>
        <source>Scan</source>
        <translation>Scannen</translation>
    </message>
    <message>
        <source>Choose Folder…</source>
        <translation>Ordner wählen …</translation>
    </message>
</context>
<context>
    <name>ScanPreset</name>
    <message>
        <source>Home</source>
        <translation>Benutzerordner</translation>
    </message>
    <message>
        <source>Documents</source>
        <translation>Dokumente</translation>
    </message>
    <message>
        <source>Downloads</source>
        <translation>Downloads</translation>
    </message>
    <message>
        <source>Desktop</source>
        <translation>Schreibtisch</translation>
    </message>
    <message>
        <source>Applications</source>
        <translation>Programme</translation>
    </message>
    <message>
        <source>Whole Disk</source>
        <translation>Ganzes Laufwerk</translation>
    </message>
</context>
<context>
    <name>ScanStatus</name>
    <message>
        <source>Stop</source>
        <translation>Stoppen</translation>
    </message>
</context>
<context>
    <name>SelectableElidedLabel</name>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
</context>
<context>
    <name>SettingsView</name>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Launch at login</source>
        <translation>Bei der Anmeldung starten</translation>
    </message>
    <message>
        <source>Available once running as the built Dustlet.app</source>
        <translation>Verfügbar, sobald Dustlet als fertige Dustlet.app läuft</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>Refresh every</source>
        <translation>Aktualisieren alle</translation>
    </message>
    <message>
        <source>Percentage used</source>
        <translation>Belegung in Prozent</translation>
    </message>
    <message>
        <source>Free space</source>
        <translation>Freier Speicher</translation>
    </message>
    <message>
        <source>Icon only</source>
        <translation>Nur Symbol</translation>
    </message>
    <message>
        <source>Menu bar shows</source>
        <translation>Menüleiste zeigt</translation>
    </message>
    <message>
        <source>System default</source>
        <translation>Systemstandard</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Sprache</translation>
    </message>
    <message>
        <source>Relaunch to apply the new language.</source>
        <translation>Neu starten, um die neue Sprache zu verwenden.</translation>
    </message>
    <message>
        <source>Relaunch</source>
        <translation>Neu starten</translation>
    </message>
    <message>
        <source>Updates</source>
        <translation>Updates</translation>
    </message>
    <message>
        <source>Check for updates automatically</source>
        <translation>Automatisch nach Updates suchen</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>Nach Updates suchen …</translation>
    </message>
    <message>
        <source>Dev build</source>
        <translation>Entwickler-Build</translation>
    </message>
    <message>
        <source>Automatic cleanup</source>
        <translation>Automatische Bereinigung</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Aus</translation>
    </message>
    <message>
        <source>Every day</source>
        <translation>Täglich</translation>
    </message>
    <message>
        <source>Every week</source>
        <translation>Wöchentlich</translation>
    </message>
    <message>
        <source>Clean caches automatically</source>
        <translation>Caches automatisch bereinigen</translation>
    </message>
    <message>
        <source>Low-space alert</source>
        <translation>Warnung bei wenig Speicher</translation>
    </message>
    <message>
        <source>Notify when low on space</source>
        <translation>Bei wenig Speicherplatz benachrichtigen</translation>
    </message>
    <message>
        <source>%1 GB</source>
        <translation>%1 GB</translation>
    </message>
    <message>
        <source>Threshold</source>
        <translation>Schwelle</translation>
    </message>
    <message>
        <source>Show welcome screen…</source>
        <translation>Willkommensbildschirm zeigen …</translation>
    </message>
    <message>
        <source>Cleanup</source>
        <translation>Bereinigung</translation>
    </message>
    <message>
        <source>Move cleaned items to the Trash</source>
        <translation>Bereinigte Objekte in den Papierkorb legen</translation>
    </message>
    <message>
        <source>Extra system caches</source>
        <translation>Weitere System-Caches</translation>
    </message>
    <message>
        <source>Custom folders to clean</source>
        <translation>Eigene Ordner zum Bereinigen</translation>
    </message>
    <message>
        <source>No custom folders added.</source>
        <translation>Keine eigenen Ordner hinzugefügt.</translation>
    </message>
    <message>
        <source>Add Folder…</source>
        <translation>Ordner hinzufügen …</translation>
    </message>
    <message>
        <source>Extra folders you want Dustlet to empty when cleaning — e.g. a Downloads or scratch folder. Their contents are removed (to the Trash). Add only folders whose contents you&apos;re happy to clear.</source>
        <translation>Weitere Ordner, die Dustlet beim Bereinigen leeren soll – z. B. einen Download- oder Ablageordner. Ihr Inhalt wird entfernt (in den Papierkorb). Füge nur Ordner hinzu, deren Inhalt du wirklich loswerden willst.</translation>
    </message>
    <message>
        <source>Developer mode</source>
        <translation>Entwicklermodus</translation>
    </message>
    <message>
        <source>Show developer cleanups</source>
        <translation>Bereinigungen für Entwickler zeigen</translation>
    </message>
    <message>
        <source>Reveals Xcode, npm, Docker and other dev caches, plus node_modules and build folders in your projects.</source>
        <translation>Zeigt Caches von Xcode, npm, Docker und anderen Entwicklerwerkzeugen, dazu node_modules- und Build-Ordner in deinen Projekten.</translation>
    </message>
    <message>
        <source>Sort cleanups by size (largest first)</source>
        <translation>Bereinigungen nach Größe sortieren (größte zuerst)</translation>
    </message>
    <message>
        <source>Tools like Project Cleanup and App &amp; Tool Updates are in the panel&apos;s “More” menu.</source>
        <translation>Werkzeuge wie „Projekte aufräumen“ und „App- &amp; Tool-Updates“ findest du im Panel unter „Mehr“.</translation>
    </message>
    <message>
        <source>Any age</source>
        <translation>Beliebiges Alter</translation>
    </message>
    <message>
        <source>%1 day</source>
        <translation>%1 Tag</translation>
    </message>
    <message>
        <source>%1 days</source>
        <translation>%1 Tage</translation>
    </message>
    <message>
        <source>Build-folder cleanup</source>
        <translation>Build-Ordner bereinigen</translation>
    </message>
    <message>
        <source>Only clean folders older than</source>
        <translation>Nur Ordner bereinigen, älter als</translation>
    </message>
    <message>
        <source>Skips node_modules / build folders modified more recently — protects projects you&apos;re actively working on.</source>
        <translation>Überspringt node_modules- und Build-Ordner, die kürzlich geändert wurden – schützt Projekte, an denen du gerade arbeitest.</translation>
    </message>
    <message>
        <source>Never touch these (pinned)</source>
        <translation>Nie anrühren (angeheftet)</translation>
    </message>
    <message>
        <source>No pinned folders. Pin a project to keep its build folders off the cleanup list.</source>
        <translation>Keine angehefteten Ordner. Hefte ein Projekt an, damit seine Build-Ordner nicht auf der Bereinigungsliste landen.</translation>
    </message>
    <message>
        <source>Pin Folder…</source>
        <translation>Ordner anheften …</translation>
    </message>
    <message>
        <source>Project folders to scan</source>
        <translation>Zu durchsuchende Projektordner</translation>
    </message>
    <message>
        <source>No project folders — add the folders where your code lives.</source>
        <translation>Keine Projektordner – füge die Ordner hinzu, in denen dein Code liegt.</translation>
    </message>
    <message>
        <source>Add Project Folder…</source>
        <translation>Projektordner hinzufügen …</translation>
    </message>
    <message>
        <source>Where your code lives. Dustlet looks *inside* these for regenerable build output (node_modules, .next, target, …) to offer up in Project Cleanup. The folders themselves are never removed — only the build artifacts found within them.</source>
        <translation>Hier liegt dein Code. Dustlet sucht *in* diesen Ordnern nach Build-Ausgaben, die neu entstehen können (node_modules, .next, target, …), und bietet sie unter „Projekte aufräumen“ an. Die Ordner selbst werden nie entfernt – nur die Build-Ergebnisse darin.</translation>
    </message>
    <message>
        <source>Dustlet only cleans when you ask.</source>
        <translation>Dustlet bereinigt nur, wenn du es sagst.</translation>
    </message>
    <message>
        <source>Quietly clears recoverable caches &amp; logs to the Trash, then notifies you. Never empties the Trash or touches build folders.</source>
        <translation>Legt wiederherstellbare Caches &amp; Protokolle still in den Papierkorb und benachrichtigt dich dann. Leert nie den Papierkorb und rührt keine Build-Ordner an.</translation>
    </message>
    <message>
        <source>Recoverable — items go to the Trash. (CLI tools like Homebrew/Docker still delete directly.)</source>
        <translation>Wiederherstellbar – Objekte kommen in den Papierkorb. (Befehlszeilenwerkzeuge wie Homebrew/Docker löschen weiterhin direkt.)</translation>
    </message>
    <message>
        <source>Permanent — items are deleted immediately.</source>
        <translation>Endgültig – Objekte werden sofort gelöscht.</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Doesn&apos;t exist</source>
        <translation>Existiert nicht</translation>
    </message>
    <message>
        <source>Tray icon shows</source>
        <translation>Symbol im Infobereich zeigt</translation>
    </message>
    <message>
        <source>Reveals npm, Gradle, Docker and other dev caches, plus node_modules and build folders in your projects.</source>
        <translation>Zeigt Caches von npm, Gradle, Docker und anderen Entwicklerwerkzeugen, dazu node_modules- und Build-Ordner in deinen Projekten.</translation>
    </message>
</context>
<context>
    <name>SimpleGroupRow</name>
    <message>
        <source>Include in clean-up</source>
        <translation>Beim Aufräumen einbeziehen</translation>
    </message>
    <message>
        <source>Include %1 in clean-up</source>
        <translation>%1 beim Aufräumen einbeziehen</translation>
    </message>
</context>
<context>
    <name>SnapshotManager</name>
    <message>
        <source>“%1” is not a snapshot that can be removed.</source>
        <translation>„%1“ ist kein Snapshot, der entfernt werden kann.</translation>
    </message>
</context>
<context>
    <name>SnapshotRow</name>
    <message>
        <source>Kept</source>
        <translation>Bleibt</translation>
    </message>
    <message>
        <source>Will remove</source>
        <translation>Wird entfernt</translation>
    </message>
</context>
<context>
    <name>SnapshotsModel</name>
    <message>
        <source>Snapshots removed — macOS may report the freed space in a moment.</source>
        <translation>Snapshots entfernt – macOS meldet den freigegebenen Platz womöglich erst gleich.</translation>
    </message>
    <message>
        <source>Reclaimed %1.</source>
        <translation>%1 freigegeben.</translation>
    </message>
    <message>
        <source>Cancelled — nothing was removed.</source>
        <translation>Abgebrochen – nichts wurde entfernt.</translation>
    </message>
    <message>
        <source>Couldn&apos;t remove snapshots: %1</source>
        <translation>Snapshots konnten nicht entfernt werden: %1</translation>
    </message>
</context>
<context>
    <name>SnapshotsView</name>
    <message>
        <source>≈ %1 reclaimable</source>
        <translation>≈ %1 freigebbar</translation>
    </message>
    <message>
        <source>Estimated purgeable space (mostly these snapshots). The exact amount freed is shown after you reclaim.</source>
        <translation>Geschätzter löschbarer Speicher (größtenteils diese Snapshots). Wie viel genau frei wird, siehst du nach dem Freigeben.</translation>
    </message>
    <message>
        <source>Keep the most recent snapshot</source>
        <translation>Den neuesten Snapshot behalten</translation>
    </message>
    <message>
        <source>Free Up Space (%1)</source>
        <translation>Platz freigeben (%1)</translation>
    </message>
    <message>
        <source>Free Up Space</source>
        <translation>Platz freigeben</translation>
    </message>
    <message numerus="yes">
        <source>%n local snapshots</source>
        <translation>
            <numerusform>%n lokaler Snapshot</numerusform>
            <numerusform>%n lokale Snapshots</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>StartupItemsView</name>
    <message>
        <source>App login items are managed by macOS.</source>
        <translation>Anmeldeobjekte von Apps verwaltet macOS.</translation>
    </message>
    <message>
        <source>Open Login Items…</source>
        <translation>Anmeldeobjekte öffnen …</translation>
    </message>
    <message>
        <source>Entries installed for all users are switched off for your account only.</source>
        <translation>Für alle Benutzer installierte Einträge werden nur für dein Konto ausgeschaltet.</translation>
    </message>
</context>
<context>
    <name>TargetRowView</name>
    <message>
        <source>Include in Clean All</source>
        <translation>Beim Aufräumen einbeziehen</translation>
    </message>
    <message>
        <source>What this is and why it&apos;s safe to remove</source>
        <translation>Was das ist und warum es gefahrlos entfernt werden kann</translation>
    </message>
    <message>
        <source>Clean %1</source>
        <translation>%1 bereinigen</translation>
    </message>
    <message>
        <source>Scanning…</source>
        <translation>Scannen …</translation>
    </message>
    <message>
        <source>Rescan to measure this size</source>
        <translation>Erneut scannen, um die Größe zu messen</translation>
    </message>
    <message>
        <source>Location</source>
        <translation>Ort</translation>
    </message>
    <message>
        <source>Locations</source>
        <translation>Orte</translation>
    </message>
</context>
<context>
    <name>ToolHeader</name>
    <message>
        <source>App &amp; Tool Updates</source>
        <translation>App- &amp; Tool-Updates</translation>
    </message>
    <message>
        <source>Outdated apps and tools you installed with Homebrew. Dustlet never bundles installers or updates silently — it just runs your own `brew upgrade` when you ask.</source>
        <translation>Veraltete Apps und Werkzeuge, die du mit Homebrew installiert hast. Dustlet bringt nie eigene Installer mit und aktualisiert nie heimlich – es führt nur dein eigenes `brew upgrade` aus, wenn du es sagst.</translation>
    </message>
    <message>
        <source>Free Up Snapshot Space</source>
        <translation>Snapshot-Speicher freigeben</translation>
    </message>
    <message>
        <source>Local snapshots are temporary copies Time Machine keeps so it can back up when your drive isn&apos;t connected. macOS frees them automatically under pressure — removing them reclaims that space now. Your Time Machine backups on external or network drives are not touched.</source>
        <translation>Lokale Snapshots sind temporäre Kopien, die Time Machine anlegt, damit es auch ohne angeschlossenes Laufwerk sichern kann. macOS gibt sie bei Platzmangel automatisch frei – wenn du sie entfernst, wird der Platz sofort frei. Deine Time-Machine-Backups auf externen oder Netzwerklaufwerken bleiben unberührt.</translation>
    </message>
    <message>
        <source>Startup &amp; Background Items</source>
        <translation>Autostart- &amp; Hintergrundobjekte</translation>
    </message>
    <message>
        <source>These run automatically in the background. Turn off anything you don&apos;t recognize — it&apos;s only stopped from launching, never deleted, and you can switch it back on any time.</source>
        <translation>Diese Objekte laufen automatisch im Hintergrund. Schalte aus, was du nicht kennst – es wird nur am Starten gehindert, nie gelöscht, und du kannst es jederzeit wieder einschalten.</translation>
    </message>
</context>
<context>
    <name>Uninstaller</name>
    <message>
        <source>Application</source>
        <translation>Programm</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>App cache</source>
        <translation>App-Cache</translation>
    </message>
    <message>
        <source>Application support</source>
        <translation>Programmunterstützung</translation>
    </message>
    <message>
        <source>Container</source>
        <translation>Container</translation>
    </message>
    <message>
        <source>Saved state</source>
        <translation>Gesicherter Zustand</translation>
    </message>
    <message>
        <source>Logs</source>
        <translation>Protokolle</translation>
    </message>
    <message>
        <source>Web storage</source>
        <translation>Webspeicher</translation>
    </message>
    <message>
        <source>WebKit data</source>
        <translation>WebKit-Daten</translation>
    </message>
    <message>
        <source>Cookies</source>
        <translation>Cookies</translation>
    </message>
    <message>
        <source>App scripts</source>
        <translation>App-Skripte</translation>
    </message>
    <message>
        <source>Group container</source>
        <translation>Gruppencontainer</translation>
    </message>
    <message>
        <source>Launch agent</source>
        <translation>Launch-Agent</translation>
    </message>
</context>
<context>
    <name>UninstallerModel</name>
    <message>
        <source>Choose</source>
        <translation>Auswählen</translation>
    </message>
    <message>
        <source>That&apos;s a protected system app and can&apos;t be removed.</source>
        <translation>Das ist eine geschützte System-App und kann nicht entfernt werden.</translation>
    </message>
    <message>
        <source>Couldn&apos;t remove %1.</source>
        <translation>%1 konnte nicht entfernt werden.</translation>
    </message>
    <message>
        <source>Removed %1 — freed %2. Items are in the Trash.</source>
        <translation>%1 entfernt – %2 freigegeben. Die Objekte liegen im Papierkorb.</translation>
    </message>
    <message>
        <source>Removed %1. Items are in the Trash; About can put them back.</source>
        <translation>%1 entfernt. Die Objekte liegen im Papierkorb; unter „Über“ lassen sie sich zurücklegen.</translation>
    </message>
</context>
<context>
    <name>UninstallerView</name>
    <message>
        <source>Choose App…</source>
        <translation>App wählen …</translation>
    </message>
    <message>
        <source>Choose Different…</source>
        <translation>Andere wählen …</translation>
    </message>
    <message>
        <source>Finding leftover files…</source>
        <translation>Übrige Dateien werden gesucht …</translation>
    </message>
    <message>
        <source>%1 found</source>
        <translation>%1 gefunden</translation>
    </message>
    <message>
        <source>Move to Trash</source>
        <translation>In den Papierkorb legen</translation>
    </message>
    <message>
        <source>Deselect All</source>
        <translation>Auswahl aufheben</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Alle auswählen</translation>
    </message>
    <message>
        <source>%1 selected</source>
        <translation>%1 ausgewählt</translation>
    </message>
</context>
<context>
    <name>UserDefaults</name>
    <message>
        <source>%1 couldn&apos;t be read and was left as it is (%2)</source>
        <translation>%1 war nicht lesbar und blieb unverändert (%2)</translation>
    </message>
    <message>
        <source>the values could not be written as a property list</source>
        <translation>die Werte ließen sich nicht als Property List schreiben</translation>
    </message>
    <message>
        <source>the settings would be larger than %1 MB</source>
        <translation>die Einstellungen wären größer als %1 MB</translation>
    </message>
    <message>
        <source>%1 is not a regular file</source>
        <translation>%1 ist keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>the user defaults refused the change</source>
        <translation>die Benutzereinstellungen haben die Änderung abgelehnt</translation>
    </message>
</context>
</TS>
