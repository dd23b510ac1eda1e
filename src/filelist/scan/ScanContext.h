#pragma once

#include "FolderAccess.h"
#include "FolderListings.h"
#include "Interaction.h"
#include "PacedYield.h"

// What one folder scan works with: where failures are reported, the file system it reads
// and the pace at which it lets the window's events run.
struct ScanContext
{
    Interaction& interaction;
    FolderAccess& access;
    PacedYield& pace;
    // When set, the sub-folder listing also keeps each folder's matching file names here.
    FolderListings* listings = nullptr;
};
