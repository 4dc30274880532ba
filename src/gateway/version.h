#pragma once
// The version the window shows, the exe's Properties and the release zip's
// name: one text, so that they cannot disagree.
#define VANTARY_VERSION "2.03"
