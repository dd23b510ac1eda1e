// Replaced by the windows.
void tessaloomUiPlaceholder() {}
