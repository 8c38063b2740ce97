#pragma once
// Receiving a sample from a sampler into a WAV file, and deleting samples in
// a sampler. Both first check that the sampler still holds the sample under
// the name shown, and run on the user-interface thread.
struct Context;

// Copies the sample of sampleNode into the WAV file open in ctx.openFile,
// just created and at position 0. False when the sample did not arrive
// whole; the caller then removes the file.
bool ReceiveSample(Context& ctx, int sampleNode);

// Deletes one sample; on success its node leaves the tree, refreshing the
// list view when refreshList is set.
bool DeleteSampleInSampler(Context& ctx, int sampleNode, bool refreshList);

// Deletes the selected samples (nodes in selection order), the last selected
// first, stopping at the first one that fails.
void DeleteSamplesCommand(Context& ctx, const int* selection, int count);
