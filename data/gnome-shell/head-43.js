// Tugworth's bridge for GNOME Shell 43 and 44 (legacy imports). Generated from bridge.js.
'use strict';

const {Gio, GLib, Meta, Shell} = imports.gi;
const Main = imports.ui.main;
