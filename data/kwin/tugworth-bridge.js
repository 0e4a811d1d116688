// Tugworth's bridge inside KWin. It tells Tugworth where the pointer is and which windows exist,
// and applies the frames Tugworth asks for; every decision is Tugworth's. Messages are JSON text
// so that KWin's conversion of script values to D-Bus types cannot change them on the way.
// Runs on KWin 5.27 (clientList) and KWin 6 (windowList, stackingOrder).
var service = "org.tugworth.Tugworth";
var path = "/org/tugworth/Tugworth/KWin";
var iface = "org.tugworth.Tugworth.KWinBridge";
var kwin6 = typeof workspace.windowList === "function";

function send(method, message, callback) {
    if (callback) {
        callDBus(service, path, iface, method, JSON.stringify(message), callback);
    } else {
        callDBus(service, path, iface, method, JSON.stringify(message));
    }
}

function frontToBack() {
    var windows;
    if (kwin6) {
        windows = workspace.stackingOrder.slice();
    } else {
        windows = workspace.clientList().slice();
        windows.sort(function (a, b) { return a.stackingOrder - b.stackingOrder; });
    }
    return windows.reverse();
}

function kindOf(w) {
    if (w.desktopWindow) return "desktop";
    if (w.dock) return "dock";
    if (w.dialog) return "dialog";
    if (w.utility) return "utility";
    if (w.normalWindow) return "normal";
    return "other";
}

function describe(w) {
    var g = w.frameGeometry;
    return {
        id: String(w.internalId), pid: w.pid, app: String(w.resourceClass),
        title: String(w.caption), x: g.x, y: g.y, width: g.width, height: g.height,
        minimized: !!w.minimized, maximized: w.maximizeMode === 3, fullscreen: !!w.fullScreen,
        kind: kindOf(w)
    };
}

function rectOf(g) {
    return {x: g.x, y: g.y, width: g.width, height: g.height};
}

// Each monitor, and the part of it not covered by panels (`area` KWin.MaximizeArea).
function monitorAreas(area) {
    var rects = [];
    if (kwin6) {
        workspace.screens.forEach(function (s) {
            rects.push(rectOf(area === undefined ? s.geometry
                                                 : workspace.clientArea(area, s, workspace.currentDesktop)));
        });
    } else {
        for (var i = 0; i < workspace.numScreens; ++i) {
            rects.push(rectOf(workspace.clientArea(area === undefined ? KWin.ScreenArea : area, i,
                                                   workspace.currentDesktop)));
        }
    }
    return rects;
}

var listPending = false;
var listChanged = false;
function sendWindows() {
    // One list at a time: changes made meanwhile go in the next, sent when the reply comes.
    if (listPending) {
        listChanged = true;
        return;
    }
    listPending = true;
    listChanged = false;
    send("windowsChanged",
         {windows: frontToBack().map(describe), monitors: monitorAreas(),
          workAreas: monitorAreas(KWin.MaximizeArea)},
         function () {
             listPending = false;
             if (listChanged) sendWindows();
         });
}

function byId(id) {
    var all = kwin6 ? workspace.windowList() : workspace.clientList();
    for (var i = 0; i < all.length; ++i) {
        if (String(all[i].internalId) === id) return all[i];
    }
    return null;
}

// Tugworth answers this call when it has frames to apply (or after a while with none); each
// answer asks again, so one request is always waiting.
function takeFrames() {
    send("nextFrames", {}, function (text) {
        var frames = JSON.parse(text);
        frames.forEach(function (f) {
            var w = byId(f.id);
            if (w) w.frameGeometry = {x: f.x, y: f.y, width: f.width, height: f.height};
        });
        takeFrames();
    });
}

function watchWindow(w) {
    w.frameGeometryChanged.connect(sendWindows);
    w.captionChanged.connect(sendWindows);
    if (w.minimizedChanged) w.minimizedChanged.connect(sendWindows);
    if (w.fullScreenChanged) w.fullScreenChanged.connect(sendWindows);
}

function windowAdded(w) {
    watchWindow(w);
    sendWindows();
}

workspace.cursorPosChanged.connect(function () {
    var p = workspace.cursorPos;
    send("pointerMoved", {x: p.x, y: p.y});
});
if (kwin6) {
    workspace.windowAdded.connect(windowAdded);
    workspace.windowRemoved.connect(sendWindows);
    workspace.windowActivated.connect(sendWindows);
    if (workspace.stackingOrderChanged) workspace.stackingOrderChanged.connect(sendWindows);
    workspace.windowList().forEach(watchWindow);
} else {
    workspace.clientAdded.connect(windowAdded);
    workspace.clientRemoved.connect(sendWindows);
    workspace.clientActivated.connect(sendWindows);
    workspace.clientMinimized.connect(sendWindows);
    workspace.clientUnminimized.connect(sendWindows);
    workspace.clientList().forEach(watchWindow);
}

var p = workspace.cursorPos;
send("hello", {kwin6: kwin6, x: p.x, y: p.y});
sendWindows();
takeFrames();
