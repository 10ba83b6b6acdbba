#!/usr/bin/env bash
# The real program on a copy of the staged demo suite, under a virtual display, driven from
# the keyboard as a person would: a search from the find box, the result dialog dismissed, a
# found document selected, its occurrences stepped through, back to the node before and
# forward again, the page saved as PDF from the viewer's menu, the window closed with Esc.
# Then what it left on disk is checked.
# Usage: e2e.sh STAGED_SUITE_DIR
set -euo pipefail

# Waits until the window with the keyboard focus has a title matching $1.
focused() {
  for _ in $(seq 120); do
    [[ $(xdotool getwindowfocus getwindowname 2>/dev/null) =~ $1 ]] && return 0
    sleep 0.5
  done
  echo "no window '$1' got the keyboard focus"
  return 1
}

# Waits until a window with a title matching $1 exists. Asked again and again rather than
# with "search --sync": a window that goes while xdotool reads its properties (the splash)
# ends xdotool with an X error.
appears() {
  for _ in $(seq 120); do
    xdotool search --name "$1" >/dev/null 2>&1 && return 0
    sleep 0.5
  done
  echo "no window '$1' appeared"
  return 1
}

if [[ ${1:-} == --drive ]]; then
  # Inside the virtual display.
  [[ -n ${E2E_TRACE:-} ]] && set -x
  "$work/suite/Bin/lectoria" >"$work/program.log" 2>&1 &
  program=$!
  appears '^Просмотр нормативной документации$'
  focused '^Просмотр нормативной документации$'
  sleep 2 # the first activation rebuilds the tree
  xdotool key F3
  xdotool type --delay 30 "$context" # Latin letters: typing Cyrillic needs a keyboard map
  xdotool key Return
  appears '^Результаты поиска$'
  focused '^Результаты поиска$'
  xdotool key Escape
  focused '^Просмотр нормативной документации$'
  sleep 1
  # Open everything below the root and go to the last node: a found document.
  xdotool key asterisk End
  sleep 3
  xdotool key ctrl+g ctrl+g # to the third occurrence
  sleep 1
  xdotool key alt+Left
  sleep 2
  xdotool key alt+Right
  sleep 3
  # The viewer's menu: its last item saves the page as PDF.
  xdotool mousemove 900 500 click 3
  sleep 1
  xdotool key Up Return
  sleep 2
  xdotool key ctrl+a
  xdotool type --delay 20 "$work/page.pdf"
  xdotool key Return
  for _ in $(seq 40); do [[ -s $work/page.pdf ]] && break; sleep 0.25; done
  sleep 1
  # Esc acts where the user is: in the find box it closes nothing. "Выход" closes.
  xdotool key F3
  sleep 0.3
  xdotool key Escape
  sleep 0.5
  kill -0 "$program" || { echo "Esc in the find box closed the window"; exit 1; }
  xdotool mousemove 104 26 click 1 # "Выход"
  for _ in $(seq 50); do kill -0 "$program" 2>/dev/null || break; sleep 0.2; done
  if kill -0 "$program" 2>/dev/null; then
    echo "the window did not close"
    kill "$program"
    exit 1
  fi
  exit 0
fi

staged=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -a "$staged" "$work/suite"
rm -f "$work/suite/Bin/Lectoria/Lectoria.ini"
printf '[TreeView]\nNormDocButton=1\n' > "$work/suite/Bin/Lectoria/Lectoria.ini"
mkdir -p "$work/tmp" "$work/runtime"
chmod 700 "$work/runtime"
export TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/runtime" QTWEBENGINE_DISABLE_SANDBOX=1
unset QT_QPA_PLATFORM
context='Portland'

export work context
timeout 120 xvfb-run -a -s '-screen 0 1280x1024x24' "$0" --drive || { cat "$work/program.log"; exit 1; }

ini="$work/suite/Bin/Lectoria/Lectoria.ini"
echo "--- settings written at close:"; cat "$ini"
fail() { echo "FAIL: $*"; exit 1; }
grep -qx "FindKod_1=$context" "$ini" || fail "the context is not the first history entry"
grep -qx "Context=$context" "$ini" || fail "[Search] Context is not the context"
selected=$(sed -n 's/^TekFileName=//p' "$ini")
[[ "$selected" == *.htm ]] || fail "the selected node is not a document: '$selected'"
[[ -f "$selected" ]] || fail "the selected document does not exist: $selected"
grep -qi -- "$context" "$selected" || fail "the selected document does not hold the context"
[[ $(head -c 5 "$work/page.pdf" 2>/dev/null) == %PDF- ]] || fail "the page was not saved as PDF"
leftovers=$(find "$work/tmp" -mindepth 1 -path '*lectoria-*' 2>/dev/null | head -5)
[[ -z "$leftovers" ]] || fail "working directories left behind: $leftovers"
echo "PASS"
