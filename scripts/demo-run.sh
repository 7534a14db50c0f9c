#!/usr/bin/env bash
# The sample installation itself (Wine already running). Filled in as the parts arrive.
echo "demo: nothing to install yet"
