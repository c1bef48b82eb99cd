namespace tarn {

// Boxes on Linux are drawn by the editor over its view, through the sink its
// window thread installs; a thread without one has nowhere to show them.
void platformMessageBox(const char *, const char *) {}

}  // namespace tarn
