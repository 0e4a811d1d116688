
export default class TugworthExtension extends Extension {
    enable() {
        this._bridge = new TugworthBridge();
        this._bridge.enable();
    }

    disable() {
        this._bridge.disable();
        this._bridge = null;
    }
}
