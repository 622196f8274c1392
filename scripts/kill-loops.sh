#!/usr/bin/env bash
# Kill loops: not part of CI; run by hand, and report the numbers it prints.
# Each of eight file operations (an editor save over another program's
# change, a title saved alone, Set Inactive onto a same-named file, a drop
# replacing both files, a 42 MB drop, a letter-case rename, a Delete, a new
# entry saved under the name of an inactive one) runs RUNS times (default 30)
# at each of its named steps, and RUNS times killed at random, each in a
# UI-View32 folder and a Recycle Bin (Wine's trash) of its own, through
# quillon_kill_driver: ended at the step (QUILLON_END_AT_STEP:
# TerminateProcess, as a crash ends it) or killed from outside with SIGKILL a
# random moment after its temporary file appears (../shared/tools/kill_at_step.py
# beside the repository, or KILL_AT_STEP). Once every run is over a minute
# old, the next start-up's tidying runs in each (answering No to any
# question), and the folders and the bin are checked: partial (an XTR file in
# place that is no whole version), resurrected (start-up created or changed
# an XTR file, but for putting back a file set aside, or held with nothing
# left at its name, as it was before the command), doubled (the entry in both
# folders once the operation began), lost (an earlier version, or a new one
# complete before the end, neither in place nor in the bin), vanished (an
# entry listed before is in neither folder and the next start named nothing;
# not for Delete, which asks for just that), unnamed (leftovers binned
# without naming the entry).
# With --exfat the runs are made on an exFAT disk instead (an image through
# exfat-fuse, drive E: of the Wine prefix: no hard links there); with --both
# on the ordinary disk and on exFAT, one table each. Needs root for exFAT.
# Usage: scripts/kill-loops.sh [RUNS] [--exfat|--both]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=30
disks=ordinary
for arg in "$@"; do
  case $arg in
    --exfat) disks=exfat ;;
    --both) disks="ordinary exfat" ;;
    *) runs=$arg ;;
  esac
done
scripts/configure.sh >/dev/null
cmake --build --preset mingw --target quillon_kill_driver >/dev/null
source scripts/wine-env.sh build/mingw/kill-prefix
exfat_mnt=
exfat_loop=
exfat_img=build/mingw/kill-exfat.img
clean_up() {
  wine_stop
  if [ -n "$exfat_mnt" ]; then
    rm -f "$WINEPREFIX/dosdevices/e:"
    umount "$exfat_mnt" 2>/dev/null || umount -l "$exfat_mnt" 2>/dev/null || true
    mountpoint -q "$exfat_mnt" || rmdir "$exfat_mnt" 2>/dev/null || true
  fi
  [ -z "$exfat_loop" ] || losetup -d "$exfat_loop" 2>/dev/null || true
  [ -z "$exfat_mnt" ] || mountpoint -q "$exfat_mnt" 2>/dev/null || rm -f "$exfat_img"
}
trap clean_up EXIT
trap "exit 130" INT TERM
if [[ $disks == *exfat* ]]; then
  if ! command -v mkfs.exfat >/dev/null || ! command -v mount.exfat-fuse >/dev/null; then
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends exfatprogs exfat-fuse >/dev/null
  fi
  # Room for RUNS 42 MB drops at each of their steps; sparse on the host.
  rm -f "$exfat_img"
  truncate -s $((runs * 140 + 1024))M "$exfat_img"
  mkfs.exfat "$exfat_img" >/dev/null
  exfat_loop=$(losetup -f --show "$exfat_img")
  exfat_mnt=$(mktemp -d /tmp/quillon-kill-exfat.XXXXXX)
  mount.exfat-fuse "$exfat_loop" "$exfat_mnt" >/dev/null
  ln -sfn "$exfat_mnt" "$WINEPREFIX/dosdevices/e:"
  export KILL_EXFAT="$exfat_mnt"
fi
export KILL_RUNS=$runs KILL_DISKS=$disks
export KILL_AT_STEP=${KILL_AT_STEP:-$(realpath -m ../shared/tools/kill_at_step.py)}
python3 - <<'EOF'
import os, random, shutil, subprocess, sys, time

runs = int(os.environ['KILL_RUNS'])
driver = os.path.abspath('build/mingw/bench/quillon_kill_driver.exe')
drive_c = os.path.join(os.environ['WINEPREFIX'], 'drive_c')
# Each disk: the folder the runs are made in, and the Windows path of its root.
disks = {'ordinary': (os.path.join(drive_c, 'kl'), 'C:\\kl'),
         'exfat': (os.path.join(os.environ.get('KILL_EXFAT', '/nonexistent'), 'kl'), 'E:\\kl')}
disks = {d: disks[d] for d in os.environ['KILL_DISKS'].split()}

def xtr(title, rest=b''):
    return title + b'\r\n' + title.lower().replace(b' ', b'') + b'.exe\r\nTrue\r\nFalse\r\n' + rest

tail = b''.join(b'line %d of notes\r\n' % i for i in range(200))
A1 = xtr(b'Tool A', tail)
A2 = A1 + b'changed by another program\r\n'
B1, B2 = xtr(b'Tool B active'), xtr(b'Tool B inactive')
C1, C2 = xtr(b'Tool C active'), xtr(b'Tool C inactive')
SRC = xtr(b'Dropped C', b'x' * 2990 + b'\r\n')
D = xtr(b'Big D', (b'y' * 1022 + b'\r\n') * (42 * 1024))
E1 = xtr(b'Tool E')
F1 = xtr(b'Tool F', tail)
G2 = xtr(b'Tool G inactive')

def is_new_a(b): return b.startswith(b'Tool A edited\r\n') and b'changed by another program\r\n' in b
def is_edited_a(b): return b == b'Tool A edited\r\n' + A1.split(b'\r\n', 1)[1]
def is_new_g(b): return b.startswith(b'New G\r\n')
# For each operation: its files before, the steps it is ended at (None: killed
# from outside), the versions that must survive, the new version and the steps
# after which it is complete, and what may stand in each folder.
ops = {
    'save': dict(host={'a.xtr': A1}, saved={}, steps=['written', 'held', 'binned', 'renamed', None],
                 olds=[A2], new=is_new_a, new_after=('written', 'held', 'binned', 'renamed'), name='a.xtr',
                 title='"Tool A edited"',
                 host_ok=lambda n, b: n == 'a.xtr' and (b == A2 or is_new_a(b)), saved_ok=lambda n, b: False),
    'edit': dict(host={'a.xtr': A1}, saved={}, steps=['written', 'renamed', None], olds=[], new=is_edited_a,
                 new_after=('written', 'renamed'), name='a.xtr', title='"Tool A edited"',
                 host_ok=lambda n, b: n == 'a.xtr' and (b == A1 or is_edited_a(b)), saved_ok=lambda n, b: False),
    'inactive': dict(host={'b.xtr': B1}, saved={'b.xtr': B2}, steps=['held', 'binned', 'renamed', None],
                     olds=[B1, B2], name='b.xtr', title='"Tool B active"',
                     host_ok=lambda n, b: n == 'b.xtr' and b == B1, saved_ok=lambda n, b: n == 'b.xtr' and b in (B1, B2)),
    'drop': dict(host={'c.xtr': C1}, saved={'c.xtr': C2},
                 steps=['written', 'held', 'binned', 'held@2', 'binned@2', 'renamed', None],
                 olds=[C1, C2], name='c.xtr', title='"Dropped C"', arg='c.xtr',
                 host_ok=lambda n, b: n == 'c.xtr' and b in (C1, SRC), saved_ok=lambda n, b: n == 'c.xtr' and b == C2),
    'large': dict(host={}, saved={}, steps=['written', 'renamed', None], olds=[],
                  name='d.xtr', title='"Big D"', arg='d.xtr', kill_ms=300,
                  host_ok=lambda n, b: n == 'd.xtr' and b == D, saved_ok=lambda n, b: False),
    'case': dict(host={'e.xtr': E1}, saved={}, steps=['between', 'written', 'renamed', None],
                 olds=[], name='e.xtr', title='"Tool E"', case=True,
                 host_ok=lambda n, b: n.lower() == 'e.xtr' and b.startswith(E1), saved_ok=lambda n, b: False),
    'delete': dict(host={'f.xtr': F1}, saved={}, steps=['held', 'binned', None], olds=[F1], name='f.xtr',
                   title='"Tool F"', gone_ok=True,
                   host_ok=lambda n, b: n == 'f.xtr' and b == F1, saved_ok=lambda n, b: False),
    'new': dict(host={}, saved={'g.xtr': G2}, steps=['held', 'binned', 'written', 'renamed', None],
                olds=[G2], new=is_new_g, new_after=('written', 'renamed'), name='g.xtr', title='"New G"',
                host_ok=lambda n, b: n == 'g.xtr' and is_new_g(b), saved_ok=lambda n, b: n == 'g.xtr' and b == G2),
}

def folders(run):
    host = os.path.join(run, 'UI-View32')
    return host, os.path.join(host, 'SavedXTR')

def env_of(run, step=None):
    env = dict(os.environ, XDG_DATA_HOME=os.path.join(run, 'xdg'))
    env.pop('QUILLON_END_AT_STEP', None)
    if step:
        env['QUILLON_END_AT_STEP'] = step
    return env

def listing(folder):
    return {n: open(os.path.join(folder, n), 'rb').read() for n in sorted(os.listdir(folder))
            if os.path.isfile(os.path.join(folder, n))}

def xtrs(run):
    host, saved = folders(run)
    return ({n: b for n, b in listing(host).items() if n.lower().endswith('.xtr')},
            {n: b for n, b in listing(saved).items() if n.lower().endswith('.xtr')})

all_runs = []
for disk, (root, win_root) in disks.items():
    def win(path, root=root, win_root=win_root):
        return win_root + '\\' + os.path.relpath(path, root).replace('/', '\\')
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(os.path.join(root, 'outside'))
    for name, data in (('c.xtr', SRC), ('d.xtr', D)):
        with open(os.path.join(root, 'outside', name), 'wb') as f:
            f.write(data)
    for op, o in ops.items():
        for i in range(runs * len(o['steps'])):
            run = os.path.join(root, '%s-%02d' % (op, i))
            host, saved = folders(run)
            os.makedirs(saved)
            os.makedirs(os.path.join(run, 'xdg', 'Trash', 'files'))
            os.makedirs(os.path.join(run, 'xdg', 'Trash', 'info'))
            for folder, files in ((host, o['host']), (saved, o['saved'])):
                for n, b in files.items():
                    with open(os.path.join(folder, n), 'wb') as f:
                        f.write(b)
            step = o['steps'][i // runs]
            args = ['wine', driver, op, win(host)]
            if 'arg' in o:
                args.append(win(os.path.join(root, 'outside', o['arg'])))
            with open(os.path.join(run, 'driver.out'), 'wb') as out:
                p = subprocess.Popen(args, env=env_of(run, step), stdin=subprocess.DEVNULL, stdout=out, stderr=out)
                killer = None
                if step is None:
                    max_ms = o.get('kill_ms', 10)
                    killer = subprocess.Popen([sys.executable, os.environ['KILL_AT_STEP'], str(p.pid), '~Quillon',
                                               str(max_ms), host, saved], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
                p.wait(timeout=60)
                killed = killer.communicate()[0].decode().startswith('trigger') if killer else None
            all_runs.append((disk, op, run, win(host), step or 'random', p.returncode, killed))
        print('%s, %s: %d runs ended' % (disk, op, runs * len(o['steps'])), flush=True)

print('waiting a minute, so that the next start takes every temporary for a leftover', flush=True)
time.sleep(62)

counts = ('partial', 'resurrected', 'doubled', 'lost', 'vanished', 'unnamed', 'told', 'missing', 'leftover')
totals = {}
for disk, op, run, win_host, step, code, killed in all_runs:
    o = ops[op]
    before = xtrs(run)
    start = subprocess.run(['wine', driver, '--answers', 'no', 'start', win_host], env=env_of(run),
                           stdin=subprocess.DEVNULL, capture_output=True)
    binned = 'told Quillon found unsaved work of an earlier run and put it into the Recycle Bin: '
    told = [name for l in start.stdout.decode(errors='replace').splitlines() if l.startswith(binned)
            for name in l[len(binned):].rstrip('.').split(', ')]
    host_x, saved_x = after = xtrs(run)
    trash = list(listing(os.path.join(run, 'xdg', 'Trash', 'files')).values())
    leftovers = [n for f in folders(run) for n in os.listdir(f) if n.startswith('~Quillon')]
    in_place = list(host_x.values()) + list(saved_x.values())
    everywhere = in_place + trash
    t = totals.setdefault((disk, op, step), dict(runs=0, ended_at_step=0, killed=0, finished=0, failed=0, **{c: 0 for c in counts}))
    t['runs'] += 1
    # failed: the operation itself failed before any step, so nothing was ended in it.
    t['ended_at_step' if code == 3 else 'killed' if code in (-9, 137) or killed else
      'finished' if code == 0 else 'failed'] += 1
    bad = []
    if any(not o['host_ok'](n, b) for n, b in host_x.items()) or any(not o['saved_ok'](n, b) for n, b in saved_x.items()):
        t['partial'] += 1; bad.append('partial')
    # Start-up's one change to the catalogue: a file the command set aside, or
    # held under a second name with nothing left at its name, goes back to its
    # name as it was before the command (in either letter case of that name):
    # as the run made it, or as the other program left it before the save (that
    # one only where nothing stood at its name, never over a version in place).
    originals = {(f, n.lower(), b) for f, files in ((0, o['host']), (1, o['saved'])) for n, b in files.items()}
    earlier = {(f, o['name'], b) for b in o['olds'] for f, ok in ((0, o['host_ok']), (1, o['saved_ok']))
               if ok(o['name'], b)}
    put_back = all((f, n.lower(), b) in originals or (n.lower() not in map(str.lower, before[f]) and (f, n.lower(), b) in earlier)
                   for f in (0, 1) for n, b in after[f].items() if before[f].get(n) != b)
    if after != before and not put_back:
        t['resurrected'] += 1; bad.append('resurrected')
    names_h = {n.lower() for n in host_x}
    names_s = {n.lower() for n in saved_x}
    began = host_x != o['host'] or saved_x != o['saved']
    if names_h & names_s and began:
        t['doubled'] += 1; bad.append('doubled')
    lost = [m for m in o['olds'] if m not in everywhere]
    if o.get('new') and step in o['new_after'] and code == 3 and not any(o['new'](b) for b in everywhere):
        lost.append(b'new')
    if op == 'case' and not any(b.startswith(E1) for b in everywhere):
        lost.append(b'e')
    if op == 'edit' and not any(b == A1 or is_edited_a(b) for b in everywhere):
        lost.append(b'a')
    if lost:
        t['lost'] += 1; bad.append('lost')
    if told:
        t['told'] += 1
        if any(x.lower() != o['name'] and x != o['title'] for x in told):
            t['unnamed'] += 1; bad.append('unnamed: %s' % told)
    if not (names_h | names_s):
        t['missing'] += 1
        if (o['host'] or o['saved']) and not o.get('gone_ok') and not told:
            t['vanished'] += 1; bad.append('vanished')
    if leftovers:
        t['leftover'] += 1; bad.append('leftover %s' % leftovers)
    if bad:
        print('%s %s %s (%s, exit %s): %s; in place %s/%s, bin %d' % (
            disk, op, os.path.basename(run), step, code, ', '.join(bad), sorted(host_x), sorted(saved_x), len(trash)))

for disk in disks:
    print()
    print('%s disk, %d runs per step' % (disk, runs))
    print('%-9s %-9s %5s %6s %6s %8s %6s | %7s %11s %7s %4s %8s %7s | %4s %7s %8s' % (
        'operation', 'step', 'runs', 'ended', 'killed', 'finished', 'failed', *counts))
    for (d, op, step), t in totals.items():
        if d == disk:
            print('%-9s %-9s %5d %6d %6d %8d %6d | %7d %11d %7d %4d %8d %7d | %4d %7d %8d' % (
                op, step, t['runs'], t['ended_at_step'], t['killed'], t['finished'], t['failed'], *(t[c] for c in counts)))
bad = sum(t[c] for t in totals.values() for c in counts[:6])
print('\nkill loops: %s' % ('all bad counts 0' if bad == 0 else '%d bad outcomes' % bad))
sys.exit(1 if bad else 0)
EOF
