#!/usr/bin/env bash
# Fails, with one line per offence, when code includes a header from a higher
# layer or from a layer beside its own:
#
#   platform <- store <- health <- calendar <- ui <- screens <- app
#                                                  wallpaper, print, net, import beside screens
#
# src/<layer> may include its own folder and the layers below. tests/<layer>
# may do the same (a test folder stands at the layer it tests), plus
# tests/support, whose files stand at the highest layer they include. Only
# src/platform may include the operating system's headers.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A rank=([platform]=0 [store]=1 [health]=2 [calendar]=3 [ui]=4
                 [screens]=5 [wallpaper]=5 [print]=5 [net]=5 [import]=5 [app]=6)
# Test folders not named after a layer, and the layer they test.
declare -A test_layer=([cli]=app)
# Deliberate crossings, "file:included header", with the reason.
declare -A allowed=(
  ["tests/screens/frame_run.h:app/startup.h"]="screen tests run the whole program, start-up and exit included"
)
os_header='^<(SDL|ft2build|freetype/|fontconfig/|unistd|fcntl|dlfcn|pthread|poll|signal|dirent|sys/|X11/|netinet/|arpa/|linux/|curl/|sodium)'

problems=()
layer_names=(platform store health calendar ui "screens/wallpaper/print/net/import" app)

# Every include line of src and tests, once: "path:line:#include ...".
mapfile -t includes < <(grep -rnE --include='*.h' --include='*.cpp' '^#include ["<]' src tests | sort -t: -k1,1 -k2,2n)

# A tests/support file stands at the highest layer it includes, directly or
# through other support files; repeat until nothing rises.
declare -A support_rank=()
for file in tests/support/*; do support_rank[$file]=-1; done
changed=1
while (( changed )); do
  changed=0
  for entry in "${includes[@]}"; do
    file=${entry%%:*}
    [[ $file == tests/support/* ]] || continue
    header=${entry#*#include \"}
    [[ $header == "$entry" ]] && continue
    header=${header%%\"*}
    folder=${header%%/*}
    if [[ $folder == support ]]; then
      r=${support_rank[tests/$header]:--1}
    elif [[ -n ${rank[$folder]+x} && $header == */* ]]; then
      r=${rank[$folder]}
    else
      continue
    fi
    if (( r > support_rank[$file] )); then
      support_rank[$file]=$r
      changed=1
    fi
  done
done

for dir in src/*/ tests/*/; do
  folder=$(basename "$dir")
  [[ $dir == tests/support/ ]] && continue
  own=$folder
  [[ $dir == tests/* ]] && own=${test_layer[$folder]:-$folder}
  [[ -n ${rank[$own]+x} ]] || problems+=("$dir: folder is not in any layer (add it here and to docs/architecture.md)")
done

for entry in "${includes[@]}"; do
  file=${entry%%:*}
  rest=${entry#*:}
  number=${rest%%:*}
  text=${rest#*:}
  top=${file#*/}
  top=${top%%/*}
  [[ $file == tests/support/* ]] && continue
  own=$top
  [[ $file == tests/* ]] && own=${test_layer[$top]:-$top}
  [[ -n ${rank[$own]+x} ]] || continue
  own_rank=${rank[$own]}
  header=${text#\#include }
  if [[ $header == \<* ]]; then
    if [[ $file == src/* && $own != platform && $header =~ $os_header ]]; then
      problems+=("$file:$number: includes the operating system's $header outside src/platform")
    fi
    continue
  fi
  header=${header#\"}
  header=${header%%\"*}
  [[ $header == */* ]] || continue
  folder=${header%%/*}
  if [[ $folder == support && $file == tests/* ]]; then
    r=${support_rank[tests/$header]:--1}
    if (( r > own_rank )); then
      problems+=("$file:$number: includes $header, which stands at ${layer_names[$r]}, above $own")
    fi
    continue
  fi
  [[ -n ${rank[$folder]+x} && $folder != "$own" ]] || continue
  [[ -z ${allowed["$file:$header"]+x} ]] || continue
  r=${rank[$folder]}
  if (( r > own_rank )); then
    problems+=("$file:$number: includes $header: $folder is above $own")
  elif (( r == own_rank )); then
    problems+=("$file:$number: includes $header: $folder is beside $own")
  fi
done

if (( ${#problems[@]} > 0 )); then
  echo "Layering broken (platform <- store <- health <- calendar <- ui <- screens <- app;" \
       "wallpaper, print, net, import beside screens):" >&2
  printf '  %s\n' "${problems[@]}" >&2
  exit 1
fi
echo "Layers: every include points down."
