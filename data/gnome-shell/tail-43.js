
function init() {
    return new TugworthBridge();
}
