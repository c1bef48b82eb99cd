namespace tarn {

// The Linux module has no windowing of its own yet, so there is nowhere to show a box.
void platformMessageBox(const char *, const char *) {}

}  // namespace tarn
