#pragma once
// The modal dialogs that commands open for a node.
class MainWindow;

// Opens a command's dialog over the main window for node.
using DialogRunner = void (*)(MainWindow& app, int node);

// The runner of a command's dialog; null for a dialog not yet offered.
DialogRunner dialogFor(int dialog);

// "Add ISO image": register an existing image file or create a new one.
void showAddImageDialog(MainWindow& app, int node);
// "Transmit sample": picks a number, keys and a WAV file and sends it to the
// sampler of node.
void showTransmitSampleDialog(MainWindow& app, int node);
// "Sample properties" for the samples selected in the list.
void showSamplePropertiesDialog(MainWindow& app, int node);
